#!/usr/bin/env bash
# The demo product installed unattended: every file at its place, the shared program copies,
# AppInfo.xml with the given host values, the links, the Uninstall entry, ExePathInfo, the log
# trace and the success sentence. Then a reinstallation that leaves AppInfo.xml alone, a newer
# version beside the first, and a configured group that does not exist.
source "$(dirname "$0")/lib.sh"
new_prefix
pack_demo "$DRIVE_C/demo/NorvaneSetup.exe"
before=$(list_drive)
day_before=$(date +%Y%m%d)

run_program 120 'C:\demo\NorvaneSetup.exe' '-dC:\Apps' '-hHOST1 HOST2' '-lC:\Logs'
check_eq "exit code" 0 "$EXIT_CODE"

company=$DRIVE_C/Apps/QVX
version_folder=$company/Norvane/Norvane1.6.0003.0000.0035
check_eq "what landed below the company folder" "./AppInfo.xml
./ExePathInfo
./Norvane/AppData/AppInfo.xml
./Norvane/Norvane1.6.0003.0000.0035/AppInfo.xml
./Norvane/Norvane1.6.0003.0000.0035/BrenmoorEHR/Webvane.exe
./Norvane/Norvane1.6.0003.0000.0035/BrenmoorEHR/locales/am.pak
./Norvane/Norvane1.6.0003.0000.0035/BrenmoorEHR/locales/en-US.pak
./Norvane/Norvane1.6.0003.0000.0035/BrenmoorEHR/resources/Release notes 1.6.0003.txt
./Norvane/Norvane1.6.0003.0000.0035/BrenmoorEHR/resources/app.dat
./Norvane/Norvane1.6.0003.0000.0035/Commonry.dll
./Norvane/Norvane1.6.0003.0000.0035/Quorvin.exe
./Norvane/Norvane1.6.0003.0000.0035/Updrift.exe
./commonry.dll
./quorvin.exe
./unwindle.exe
./updrift.exe" "$(tree_of "$company")"
for f in Quorvin.exe Updrift.exe Commonry.dll BrenmoorEHR/Webvane.exe "BrenmoorEHR/resources/Release notes 1.6.0003.txt"; do
  check "$f: the bytes of the product" cmp -s "$DEMO/product/$f" "$version_folder/$f"
done
check "the main client copy" cmp -s "$DEMO/product/Quorvin.exe" "$company/quorvin.exe"
check "the uninstall program in the company folder" cmp -s "$DEMO/product/unwindle.exe" "$company/unwindle.exe"
check "the seed is the configuration" cmp -s "$DEMO/appConfig.xml" "$company/AppInfo.xml"
appinfo=$company/Norvane/AppData/AppInfo.xml
check "AppInfo.xml has the given hosts" grep -q '<HostList>HOST1 HOST2</HostList>' "$appinfo"
check "AppInfo.xml keeps the configured ports" grep -q '<PortList>15000 15001 15002 15003</PortList>' "$appinfo"
check "AppInfo.xml has no declaration" bash -c "! grep -q '<?xml' '$appinfo'"
check_eq "ExePathInfo names the version folder, byte for byte" \
  'C:\Apps\QVX\Norvane\Norvane1.6.0003.0000.0035\' "$(cat "$company/ExePathInfo")"

key="$UNINSTALL_KEY\\Norvane_new"
check_eq "Uninstall DisplayName" Norvane "$(reg_value "$key" DisplayName)"
check_eq "Uninstall UninstallString (program path quoted)" \
  '"C:\Apps\QVX\unwindle.exe" "C:\Apps" "AppInfo.xml" "QVX" "Norvane" "FALSE"' "$(reg_value "$key" UninstallString)"
check_eq "Uninstall DisplayIcon" 'C:\Apps\QVX\unwindle.exe' "$(reg_value "$key" DisplayIcon)"
# What deployment tools read. The size counts every file the installation occupies: all of the
# company folder after a first installation.
placed=$(cd "$company" && find . -type f -exec cat {} + | wc -c)
check_eq "Uninstall DisplayVersion" "REG_SZ 1.6.0003.0000.0035" "$(reg_typed "$key" DisplayVersion)"
check_eq "Uninstall Publisher" "REG_SZ QVX" "$(reg_typed "$key" Publisher)"
check_eq "Uninstall InstallLocation" 'REG_SZ C:\Apps\QVX\' "$(reg_typed "$key" InstallLocation)"
install_date=$(reg_typed "$key" InstallDate)
check "Uninstall InstallDate is today ($install_date)" \
  test "$install_date" == "REG_SZ $day_before" -o "$install_date" == "REG_SZ $(date +%Y%m%d)"
check_eq "Uninstall EstimatedSize: KiB of the $placed bytes placed" "$(estimated_size "$placed")" \
  "$(reg_typed "$key" EstimatedSize)"
check_eq "Uninstall NoModify" "REG_DWORD 0x1" "$(reg_typed "$key" NoModify)"
check_eq "Uninstall NoRepair" "REG_DWORD 0x1" "$(reg_typed "$key" NoRepair)"
check_eq "Uninstall QuietUninstallString" \
  'REG_SZ "C:\Apps\QVX\unwindle.exe" "C:\Apps" "AppInfo.xml" "QVX" "Norvane" "TRUE"' \
  "$(reg_typed "$key" QuietUninstallString)"

links=$DRIVE_C/$START_MENU/QVX
brenmoor=$(lnkinfo "$links/Brenmoor.lnk" 2>/dev/null | tr -d '\r')
check "Brenmoor.lnk starts the main client copy" grep -qiF 'C:\Apps\QVX\quorvin.exe' <<<"$brenmoor"
check "Brenmoor.lnk passes the Webvane argument" grep -qF 'BrenmoorEHR\Webvane.exe' <<<"$brenmoor"
uninstall=$(lnkinfo "$links/Uninstall Norvane.lnk" 2>/dev/null | tr -d '\r')
check "Uninstall Norvane.lnk starts the uninstall program" grep -qiF 'C:\Apps\QVX\unwindle.exe' <<<"$uninstall"
check "Uninstall Norvane.lnk has the argument list" grep -qF '"C:\Apps" "AppInfo.xml" "QVX" "Norvane" "FALSE"' <<<"$uninstall"
check "no desktop link without -t" test ! -e "$DRIVE_C/users/Public/Desktop/Brenmoor.lnk"

log=$DRIVE_C/Logs/NorvaneSetup$(date +%Y-%m).log
check "every log line has its time stamp and CR LF; the configuration is traced byte for byte" \
  log_is_well_formed "$log" "$DEMO/appConfig.xml"
messages=$(log_messages "$log")
steps=$(grep -E '^(Enter|Leave) function (Init|ParseXml|initSecurityUserGroup|ProcessOldVersion|PrepareInstall|Files|CreateAppShortCuts|CreateExePathInfo)\(\)|^Installation of ' <<<"$messages" | sed 's/ with parameter.*//')
check_eq "the steps in their order, each with its Enter and Leave lines" "Enter function Init().
Enter function ParseXml()
Leave function ParseXml().
Enter function initSecurityUserGroup()
Leave function initSecurityUserGroup().
Leave function Init().
Enter function ProcessOldVersion().
Leave function ProcessOldVersion().
Enter function PrepareInstall()
Leave function PrepareInstall().
Enter function Files().
Leave function Files().
Enter function CreateAppShortCuts().
Leave function CreateAppShortCuts().
Enter function CreateExePathInfo().
Leave function CreateExePathInfo().
Installation of Brenmoor has completed successfully." "$steps"
check_eq "every file write is traced: 2 seeds, 9 entries, 3 shared copies" 14 "$(grep -c '^Enter function CreateDirOfFile() with parameter fullName is ' <<<"$messages")"
check_eq "nothing outside the target, the Start-menu folder and the log" "" \
  "$(added_paths "$before" | grep -v -e '^\./Logs' -e '^\./Apps' -e "^\./$START_MENU/QVX")"

# A reinstallation without host values leaves AppInfo.xml as it is.
cp "$appinfo" "$SCENARIO_DIR/appinfo.before"
run_program 120 'C:\demo\NorvaneSetup.exe' '-dC:\Apps' '-lC:\Logs'
check_eq "reinstallation: exit code" 0 "$EXIT_CODE"
check "reinstallation: AppInfo.xml byte for byte unchanged" cmp -s "$SCENARIO_DIR/appinfo.before" "$appinfo"

# A newer version lands beside the first; the main client copy is refreshed, the other shared
# copies are not.
newer=$SCENARIO_DIR/newer
cp -r "$DEMO/product" "$newer"
echo "newer main client" >"$newer/Quorvin.exe"
echo "newer update program" >"$newer/Updrift.exe"
pack_product "$DRIVE_C/demo/NewerSetup.exe" "$newer" "$DEMO/appConfig.xml" 1.7.0000.0000.0001
run_program 120 'C:\demo\NewerSetup.exe' '-dC:\Apps' '-lC:\Logs'
check_eq "newer version: exit code" 0 "$EXIT_CODE"
check "newer version: the first version folder stays" test -f "$version_folder/Quorvin.exe"
check "newer version: its own version folder" cmp -s "$newer/Quorvin.exe" "$company/Norvane/Norvane1.7.0000.0000.0001/Quorvin.exe"
check "newer version: the main client copy refreshed" cmp -s "$newer/Quorvin.exe" "$company/quorvin.exe"
check "newer version: the update program copy kept" cmp -s "$DEMO/product/Updrift.exe" "$company/updrift.exe"
check_eq "newer version: ExePathInfo" 'C:\Apps\QVX\Norvane\Norvane1.7.0000.0000.0001\' "$(cat "$company/ExePathInfo")"
# The entry now describes the newer version; its size counts what this run placed: the new
# version folder, the base folder's seed, the uninstall program (its place is the company
# folder), the kept AppData\AppInfo.xml and ExePathInfo, and the shared copies one level up at
# the package's size, whether this run refreshed them or kept the ones it found.
newer_folder=$company/Norvane/Norvane1.7.0000.0000.0001
placed=$(cat "$company/AppInfo.xml" "$company/unwindle.exe" \
  "$company/Norvane/AppData/AppInfo.xml" "$company/ExePathInfo" | wc -c)
placed=$((placed + $(find "$newer_folder" -type f -exec cat {} + | wc -c)))
placed=$((placed + $(cat "$newer_folder/Quorvin.exe" "$newer_folder/Updrift.exe" \
  "$newer_folder/Commonry.dll" | wc -c)))
check_eq "newer version: Uninstall DisplayVersion" "REG_SZ 1.7.0000.0000.0001" "$(reg_typed "$key" DisplayVersion)"
check_eq "newer version: Uninstall EstimatedSize" "$(estimated_size "$placed")" "$(reg_typed "$key" EstimatedSize)"
check_eq "newer version: Uninstall QuietUninstallString" \
  'REG_SZ "C:\Apps\QVX\unwindle.exe" "C:\Apps" "AppInfo.xml" "QVX" "Norvane" "TRUE"' \
  "$(reg_typed "$key" QuietUninstallString)"

# A configured group that does not exist: Init fails, nothing is created.
rm -rf "$DRIVE_C/Apps" "$DRIVE_C/Logs" "$DRIVE_C/$START_MENU/QVX"
sed 's|<groupName></groupName>|<groupName>Users\|NoSuchGroup</groupName>|' "$DEMO/appConfig.xml" >"$SCENARIO_DIR/badgroup.xml"
check "the test configuration names the missing group" grep -q 'NoSuchGroup' "$SCENARIO_DIR/badgroup.xml"
pack_demo "$DRIVE_C/demo/BadGroupSetup.exe" "$SCENARIO_DIR/badgroup.xml"
before=$(list_drive)
run_program 120 'C:\demo\BadGroupSetup.exe' '-dC:\Apps' '-lC:\Logs'
messages=$(log_messages "$DRIVE_C"/Logs/BadGroupSetup*.log)
check_eq "unknown group: exit code" 1603 "$EXIT_CODE"
check "unknown group: the lookup's error is reported" grep -qxF 'SetEntriesInAcl Error! (Error Code: 1332)' <<<"$messages"
check_eq "unknown group: the failure sentence ends the log" 'Installation of Brenmoor has failed.' "$(outcome_line <<<"$messages")"
check_eq "unknown group: the last line names the exit code" 'The installer ends with exit code 1603.' "$(tail -n 1 <<<"$messages")"
check_eq "unknown group: nothing but the log was written" "" "$(added_paths "$before" | grep -v '^\./Logs')"
finish
