#!/usr/bin/env bash
# The wizard into C:\Data, a destination without the company name: the uninstall program's base
# folder is then C:\Data\ itself, and its trailing backslash must not escape the closing quote.
# The UninstallString, the QuietUninstallString and the uninstall link's arguments, split by
# CommandLineToArgvW as the uninstall program's runtime splits them, give it its five arguments.
source "$(dirname "$0")/lib.sh"
need_display "$@"
new_prefix
pack_demo "$DRIVE_C/demo/NorvaneSetup.exe"
SPLIT_EXE=$BUILD_DIR/tests/argv_split.exe

# split_command_line TEXT : the argument count and the arguments CommandLineToArgvW makes of TEXT.
split_command_line() {
  printf '%s' "$1" >"$DRIVE_C/command-line.txt"
  wine "$SPLIT_EXE" 'C:\command-line.txt' 2>&1 | tr -d '\r'
}

WIZARD="Brenmoor Setup"
start_setup 300 'C:\demo\NorvaneSetup.exe' '-lC:\Logs'
act "the wizard appears" drv wait-window "$WIZARD" 30
act "Next to the destination page" next_until destination
act "choose C:\\Data" wiz set-text page:1017 'C:\Data'
act "Next" wiz click 12324
act "Finish" wiz post-click 12325
expect_wizard_success Finish

want_arguments='C:\Data\
AppInfo.xml
QVX
Norvane
FALSE'
uninstall=$(reg_value "$UNINSTALL_KEY\\Norvane_new" UninstallString)
check_eq "UninstallString" '"C:\Data\unwindle.exe" "C:\Data\\" "AppInfo.xml" "QVX" "Norvane" "FALSE"' \
  "$uninstall"
check_eq "UninstallString split: the program and its five arguments" "6
C:\\Data\\unwindle.exe
$want_arguments" "$(split_command_line "$uninstall")"
quiet=$(reg_value "$UNINSTALL_KEY\\Norvane_new" QuietUninstallString)
check_eq "QuietUninstallString split: the program and its five arguments, the last TRUE" "6
C:\\Data\\unwindle.exe
${want_arguments%FALSE}TRUE" "$(split_command_line "$quiet")"
link="$DRIVE_C/$START_MENU/QVX/Uninstall Norvane.lnk"
check_eq "the uninstall link starts the program in C:\\Data" 'C:\Data\unwindle.exe' "$(link_target "$link")"
check_eq "the uninstall link's arguments split: five" "6
C:\\Data\\unwindle.exe
$want_arguments" "$(split_command_line "\"$(link_target "$link")\" $(link_arguments "$link")")"
finish
