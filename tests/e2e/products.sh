#!/usr/bin/env bash
# Products other than the demo: an empty configuration (every default), Tallyset (its own
# application folder for the shared copies, the main-client link to them, AppInfo.xml and
# ExePathInfo) and a helper-only install (justHelper: only "tools" entries, the shared copies
# still made, no ExePathInfo).
source "$(dirname "$0")/lib.sh"
new_prefix

: >"$SCENARIO_DIR/empty.xml"
pack_product "$DRIVE_C/demo/EmptyConfig.exe" "$DEMO/product" "$SCENARIO_DIR/empty.xml"
run_program 120 'C:\demo\EmptyConfig.exe' '-dC:\Empty' '-lC:\Logs'
check_eq "empty configuration: exit code" 0 "$EXIT_CODE"
check "empty configuration: files in the default layout" test -f "$DRIVE_C/Empty/QVX/Norvane/Norvane1.6.0003.0000.0035/unwindle.exe"
check_eq "empty configuration: ExePathInfo" 'C:\Empty\QVX\Norvane\Norvane1.6.0003.0000.0035\' "$(cat "$DRIVE_C/Empty/QVX/ExePathInfo")"
check "empty configuration: the product name is the display name" \
  grep -qF 'Installation of Norvane has completed successfully.' "$DRIVE_C/Logs/EmptyConfig$(date +%Y-%m).log"

sed -e 's|<appName>Norvane</appName>|<appName>Tallyset</appName>|' -e 's|<QUORVIN>|<Tallyset>|; s|</QUORVIN>|</Tallyset>|' \
  "$DEMO/appConfig.xml" >"$SCENARIO_DIR/tallyset.xml"
check "the Tallyset configuration" grep -q '<appName>Tallyset</appName>' "$SCENARIO_DIR/tallyset.xml"
pack_product "$DRIVE_C/demo/Tallyset.exe" "$DEMO/product" "$SCENARIO_DIR/tallyset.xml"
run_program 120 'C:\demo\Tallyset.exe' '-dC:\Apps' '-lC:\Logs'
app=$DRIVE_C/Apps/QVX/Tallyset
check_eq "Tallyset: exit code" 0 "$EXIT_CODE"
check "Tallyset: the shared copies in the application folder" test -f "$app/quorvin.exe"
check "Tallyset: no shared copies in the company folder" test ! -e "$DRIVE_C/Apps/QVX/quorvin.exe"
check "Tallyset: the seed in the application folder" test -f "$app/AppInfo.xml"
check "Tallyset: AppInfo.xml" test -f "$app/AppData/AppInfo.xml"
check_eq "Tallyset: ExePathInfo" 'C:\Apps\QVX\Tallyset\Tallyset1.6.0003.0000.0035\' "$(cat "$app/ExePathInfo")"
check_eq "Tallyset: the main-client link starts the shared copy that extraction made" \
  'C:\Apps\QVX\Tallyset\quorvin.exe' "$(link_target "$DRIVE_C/$START_MENU/QVX/Brenmoor.lnk")"

helper=$SCENARIO_DIR/helper
cp -r "$DEMO/product" "$helper"
mkdir -p "$helper/Tools"
echo "a helper tool" >"$helper/Tools/Helper.exe"
sed 's|<justHelper>false</justHelper>|<justHelper>TRUE</justHelper>|' "$DEMO/appConfig.xml" >"$SCENARIO_DIR/helper.xml"
check "the helper configuration" grep -q '<justHelper>TRUE</justHelper>' "$SCENARIO_DIR/helper.xml"
pack_product "$DRIVE_C/demo/Helper.exe" "$helper" "$SCENARIO_DIR/helper.xml"
run_program 120 'C:\demo\Helper.exe' '-dC:\Help' '-lC:\Logs'
check_eq "justHelper: exit code" 0 "$EXIT_CODE"
check_eq "justHelper: the tools entry, the shared copies and one seed" "./AppInfo.xml
./Norvane/AppData/AppInfo.xml
./Norvane/Norvane1.6.0003.0000.0035/Tools/Helper.exe
./commonry.dll
./quorvin.exe
./unwindle.exe
./updrift.exe" "$(tree_of "$DRIVE_C/Help/QVX")"
check "justHelper: the log says no ExePathInfo" grep -qF "Helper isn't installed." "$DRIVE_C/Logs/Helper$(date +%Y-%m).log"
finish
