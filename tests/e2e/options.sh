#!/usr/bin/env bash
# Options of an unattended run: -u (started by the update program: no Uninstall entry, no
# ExePathInfo, no seed in the company folder), -t (the desktop link), a log folder that -l names
# and that does not exist yet, and the host lists an earlier installation stored in the
# registry carried into a new AppInfo.xml.
source "$(dirname "$0")/lib.sh"
new_prefix
pack_demo "$DRIVE_C/demo/NorvaneSetup.exe"
key="$UNINSTALL_KEY\\Norvane_new"

run_program 120 'C:\demo\NorvaneSetup.exe' '-dC:\ByUpdate' '-u' '-lC:\Logs\New\Nested'
check_eq "-u: exit code" 0 "$EXIT_CODE"
check "-u: the files are there" test -f "$DRIVE_C/ByUpdate/QVX/Norvane/Norvane1.6.0003.0000.0035/Quorvin.exe"
check "-u: no ExePathInfo" test ! -e "$DRIVE_C/ByUpdate/QVX/ExePathInfo"
check "-u: no seed in the company folder" test ! -e "$DRIVE_C/ByUpdate/QVX/AppInfo.xml"
check "-u: the version folder seed" test -f "$DRIVE_C/ByUpdate/QVX/Norvane/Norvane1.6.0003.0000.0035/AppInfo.xml"
check_eq "-u: no Uninstall entry" "" "$(reg_value "$key" DisplayName)"
check "-l: the log folder was created and used" test -f "$DRIVE_C/Logs/New/Nested/NorvaneSetup$(date +%Y-%m).log"

# Lists stored by an earlier installation: the current user's first, then the machine's new items.
wine reg add 'HKCU\Software\QVX\QUORVIN' /v HostList /d 'h1 h2' /f >/dev/null 2>&1
wine reg add 'HKLM\Software\QVX\QUORVIN' /v HostList /d 'h2  h3 ' /f >/dev/null 2>&1
run_program 120 'C:\demo\NorvaneSetup.exe' '-dC:\Apps' '-t' '-lC:\Logs'
check_eq "-t: exit code" 0 "$EXIT_CODE"
check "stored lists carried into AppInfo.xml" grep -q '<HostList>h1 h2 h3</HostList>' "$DRIVE_C/Apps/QVX/Norvane/AppData/AppInfo.xml"
desktop=$(lnkinfo "$DRIVE_C/users/Public/Desktop/Brenmoor.lnk" 2>/dev/null | tr -d '\r')
check "-t: the desktop link starts the main client copy" grep -qiF 'C:\Apps\QVX\quorvin.exe' <<<"$desktop"
check "-t: the desktop link passes the Webvane argument" grep -qF 'BrenmoorEHR\Webvane.exe' <<<"$desktop"
check_eq "without -u: the Uninstall entry" Norvane "$(reg_value "$key" DisplayName)"

# -r: the UltraVNC setup shipped in the version folder runs once, silently, and is waited for.
vnc=$SCENARIO_DIR/vnc
cp -r "$DEMO/product" "$vnc"
cp "$BUILD_DIR/tests/UltraVNC_1_2_17_X86_Setup.exe" "$vnc/"
pack_product "$DRIVE_C/demo/VncSetup.exe" "$vnc" "$DEMO/appConfig.xml"
run_program 120 'C:\demo\VncSetup.exe' '-dC:\NoVnc' '-lC:\Logs'
check "without -r: the UltraVNC setup does not run" \
  test ! -e "$DRIVE_C/NoVnc/QVX/Norvane/Norvane1.6.0003.0000.0035/FakeSetupRecord.txt"
run_program 120 'C:\demo\VncSetup.exe' '-dC:\Vnc' '-r' '-lC:\Logs'
check_eq "-r: exit code" 0 "$EXIT_CODE"
record=$(tr -d '\r' <"$DRIVE_C/Vnc/QVX/Norvane/Norvane1.6.0003.0000.0035/FakeSetupRecord.txt" 2>/dev/null)
check_eq "-r: the setup ran once, silently, by its quoted path (recorded before the run ended)" \
  "$(printf 'C:\\Vnc\\QVX\\Norvane\\Norvane1.6.0003.0000.0035\\UltraVNC_1_2_17_X86_Setup.exe\t"C:\\Vnc\\QVX\\Norvane\\Norvane1.6.0003.0000.0035\\UltraVNC_1_2_17_X86_Setup.exe" /silent')" "$record"
finish
