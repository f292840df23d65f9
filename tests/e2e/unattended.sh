#!/usr/bin/env bash
# The demo product packed into a finished installer and run unattended: the package is
# decompressed and checked, the whole configuration is traced, the company folder and the
# Start-menu company folder are created, every step leaves its Enter and Leave lines, and the run
# ends with the outcome sentence and exit code. A configured group that does not exist stops the
# run at start-up with nothing created.
source "$(dirname "$0")/lib.sh"
new_prefix
pack_demo "$DRIVE_C/demo/NorvaneSetup.exe"
before=$(list_drive)

run_program 120 'C:\demo\NorvaneSetup.exe' '-dC:\Apps' '-lC:\Logs'
run_program 120 'C:\demo\NorvaneSetup.exe' '-dC:\Apps\' '-lC:\Logs'

log=$DRIVE_C/Logs/NorvaneSetup$(date +%Y-%m).log
check "the monthly log file exists: $(basename "$log")" test -f "$log"
check "every log line has its time stamp and CR LF; the configuration is traced byte for byte" \
  log_is_well_formed "$log" "$DEMO/appConfig.xml"
messages=$(log_messages "$log")
check_eq "a second run appends to the same file" 2 "$(grep -cxF 'Enter function Init().' <<<"$messages")"
steps=$(grep -E '^(Enter|Leave) function|^Step |^Installation of ' <<<"$messages" | sed 's/ with parameter.*//' | head -n 17)
expected_steps='Enter function Init().
Enter function ParseXml()
Leave function ParseXml().
Enter function initSecurityUserGroup()
Leave function initSecurityUserGroup().
Leave function Init().
Step ProcessOldVersion() is not part of this build.
Enter function PrepareInstall()
Enter function MyCreateDirectory()
Leave function MyCreateDirectory().
Enter function MyCreateDirectory()
Leave function MyCreateDirectory().
Leave function PrepareInstall().
Step Files() is not part of this build.
Installation of Brenmoor has failed.
Enter function Init().
Enter function ParseXml()'
check_eq "the steps of a run, each with its Enter and Leave lines" "$expected_steps" "$steps"
check "the destination is traced" grep -qxF 'Enter function PrepareInstall() with parameter str is C:\Apps\QVX.' <<<"$messages"
check "the group list is traced" grep -qxF 'Enter function initSecurityUserGroup() with parameter groupNames is Users|SYSTEM|Administrators.' <<<"$messages"
check_eq "exit code" 1603 "$EXIT_CODE"
check_eq "the company folder and the Start-menu company folder were created, nothing else" \
  "./Apps
./Apps/QVX
./ProgramData/Microsoft/Windows/Start Menu/Programs/QVX" "$(added_paths "$before" | grep -v '^\./Logs')"

# A configured group that does not exist: Init fails, nothing is created.
rm -rf "$DRIVE_C/Apps" "$DRIVE_C/Logs" "$DRIVE_C/ProgramData/Microsoft/Windows/Start Menu/Programs/QVX"
sed 's|<groupName\s*/>|<groupName>Users\|NoSuchGroup</groupName>|; s|<groupName></groupName>|<groupName>Users\|NoSuchGroup</groupName>|' \
  "$DEMO/appConfig.xml" >"$SCENARIO_DIR/badgroup.xml"
check "the test configuration names the missing group" grep -q 'NoSuchGroup' "$SCENARIO_DIR/badgroup.xml"
pack_demo "$DRIVE_C/demo/BadGroupSetup.exe" "$SCENARIO_DIR/badgroup.xml"
before=$(list_drive)
run_program 120 'C:\demo\BadGroupSetup.exe' '-dC:\Apps' '-lC:\Logs'
messages=$(log_messages "$DRIVE_C"/Logs/BadGroupSetup*.log)
check_eq "unknown group: exit code" 1603 "$EXIT_CODE"
check "unknown group: the lookup's error is reported" grep -qxF 'SetEntriesInAcl Error! (Error Code: 1332)' <<<"$messages"
check_eq "unknown group: the failure sentence ends the log" 'Installation of Brenmoor has failed.' "$(tail -n 1 <<<"$messages")"
check_eq "unknown group: nothing but the log was written" "" "$(added_paths "$before" | grep -v '^\./Logs')"
finish
