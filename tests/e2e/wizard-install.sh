#!/usr/bin/env bash
# The wizard through to Finish: the destination page (default folder, desktop box), a Finish
# whose destination cannot be prepared (the failure boxes, the wizard stays, nothing installed),
# then a Finish with a usable folder that installs exactly what an unattended run with the same
# choices installs (files, AppInfo.xml with the typed host values, links, Uninstall entry,
# ExePathInfo), the success box captioned with the product's display name and exit 0.
source "$(dirname "$0")/lib.sh"
need_display "$@"
new_prefix
pack_demo "$DRIVE_C/demo/NorvaneSetup.exe"
program_files="$DRIVE_C/Program Files (x86)"
company=$program_files/QVX
before=$(list_drive)

# What the wizard must produce: the unattended run into the default folder, with the host
# values the user will type and a desktop link (the destination page's box is checked).
run_program 120 'C:\demo\NorvaneSetup.exe' '-dC:\Program Files (x86)' '-hWIZ1 WIZ2' '-aUPD1' \
  '-bWEB1 WEB2' -t '-lC:\Logs'
check_eq "unattended run: exit code" 0 "$EXIT_CODE"
unattended=$(installation_record "$company" Norvane)
check "unattended run: a desktop link to compare" grep -q 'Desktop/Brenmoor.lnk' <<<"$unattended"
# (Wine's menu builder mirrors a desktop link as a .desktop file beside it.)
rm -rf "$company" "$DRIVE_C/$START_MENU/QVX" "$DRIVE_C"/users/*/Desktop/Brenmoor.*
wine reg delete "$UNINSTALL_KEY\\Norvane_new" /f >/dev/null 2>&1
check_eq "the unattended installation removed again" "" "$(added_paths "$before" | grep -v '^\./Logs')"

WIZARD="Brenmoor Setup"
start_setup 300 'C:\demo\NorvaneSetup.exe' '-lC:\Logs'
act "the wizard appears" drv wait-window "$WIZARD" 30
act "Next to the host page" next_until host
act "type the hosts" wiz set-text 1025 "WIZ1 WIZ2"
act "type the update hosts" wiz set-text 1027 "UPD1"
act "type the web hosts" wiz set-text 1033 "WEB1 WEB2"
act "Next" wiz click 12324

check_eq "destination: the default folder" 'C:\Program Files (x86)\QVX' "$(wiz text page:1017)"
check_eq "destination: the folder edit is read-only" 1 "$(wiz read-only page:1017)"
check_eq "destination: the desktop box of Norvane, shown and checked" \
  "Create shortcut on the desktop visible=1 checked=1" \
  "$(wiz text 1031) visible=$(wiz visible 1031) checked=$(wiz checked 1031)"
check_eq "destination: Browse" "Browse" "$(wiz text 1021)"

# A destination that cannot be prepared (a drive that does not exist), put into the read-only
# edit as Browse would put it.
act "choose Q:\\QVX" wiz set-text page:1017 'Q:\QVX'
act "Next" wiz click 12324
act "Finish" wiz post-click 12325
first=$(drv msgbox-text-and-ok Brenmoor 30)
check "failed Finish: the folder's report (got: $first)" \
  test "${first#'Failed to create directory Q:\QVX\ with reason: '}" != "$first"
check_eq "failed Finish: the failure box" "Installation of Brenmoor has failed." \
  "$(drv msgbox-text-and-ok Brenmoor 30)"
check_eq "failed Finish: the wizard stays on its last page" "ready back=1 next=0 finish=1" "$(wizard_state)"
check_eq "failed Finish: nothing installed" "" "$(added_paths "$before" | grep -v '^\./Logs')"

# Back to the destination, a usable folder, Finish again: the payload is still there.
act "Back" wiz click 12323
act "choose the default folder again" wiz set-text page:1017 'C:\Program Files (x86)\QVX'
act "Next" wiz click 12324
act "Finish" wiz post-click 12325
expect_wizard_success Finish

appinfo=$company/Norvane/AppData/AppInfo.xml
check "AppInfo.xml has the typed hosts" grep -qF '<HostList>WIZ1 WIZ2</HostList>' "$appinfo"
check "AppInfo.xml has the typed update hosts" grep -qF '<AutoUpdateHostName>UPD1</AutoUpdateHostName>' "$appinfo"
check "AppInfo.xml has the typed web hosts" grep -qF '<WebHostList>WEB1 WEB2</WebHostList>' "$appinfo"
check_eq "the wizard installed what the unattended run installs" "$unattended" \
  "$(installation_record "$company" Norvane)"
finish
