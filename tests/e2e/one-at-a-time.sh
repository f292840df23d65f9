#!/usr/bin/env bash
# One installation of a product at a time. The demo's wizard, waiting on its welcome page, holds
# the product's mutex (start-up takes it before the wizard shows). Meanwhile a second run of the
# product, unattended, with its wizard, and from a package that writes the company and
# application names in other letters, each end with 1618 and write nothing but their logs;
# Tallyset, another product of the same company, installs. Then the first wizard installs, and
# once it has ended the product installs again.
source "$(dirname "$0")/lib.sh"
need_display "$@"
new_prefix
pack_demo "$DRIVE_C/demo/NorvaneSetup.exe"
sed -e 's|<companyName>QVX</companyName>|<companyName>qvx</companyName>|' \
  -e 's|<appName>Norvane</appName>|<appName>NORVANE</appName>|' "$DEMO/appConfig.xml" >"$SCENARIO_DIR/cased.xml"
check "the configuration in other letters" grep -q '<companyName>qvx</companyName>' "$SCENARIO_DIR/cased.xml"
pack_demo "$DRIVE_C/demo/CasedSetup.exe" "$SCENARIO_DIR/cased.xml"
sed -e 's|<appName>Norvane</appName>|<appName>Tallyset</appName>|' "$DEMO/appConfig.xml" >"$SCENARIO_DIR/tallyset.xml"
check "the Tallyset configuration" grep -q '<appName>Tallyset</appName>' "$SCENARIO_DIR/tallyset.xml"
pack_product "$DRIVE_C/demo/TallysetSetup.exe" "$DEMO/product" "$SCENARIO_DIR/tallyset.xml"

WIZARD="Brenmoor Setup"
busy="Another installation of Brenmoor is in progress."
start_setup 300 'C:\demo\NorvaneSetup.exe' '-lC:\Logs\First'
act "the first run's wizard appears" drv wait-window "$WIZARD" 30
before=$(list_drive)

# refused LABEL INSTALLER LOG_FOLDER : an unattended run that must end with 1618, its log ending
# in the sentence, nothing of the installation traced after the check.
refused() {
  run_program 60 "$2" '-dC:\Apps' "-l$3"
  check_eq "$1: exit code" 1618 "$EXIT_CODE"
  local log
  log=$(log_messages "$DRIVE_C/$(echo "$3" | cut -c4- | tr '\\' '/')/$(basename "${2//\\//}" .exe)$(date +%Y-%m).log")
  check_eq "$1: the log ends with the sentence" "$busy" "$(outcome_line <<<"$log")"
  check "$1: nothing changed after the check" lacks 'ProcessOldVersion|PrepareInstall' "$log"
}
lacks() { ! grep -qE "$1" <<<"$2"; }  # lacks PATTERN TEXT
refused "same product" 'C:\demo\NorvaneSetup.exe' 'C:\Logs\Second'
refused "same product in other letters" 'C:\demo\CasedSetup.exe' 'C:\Logs\Cased'

wine "$RUNEXIT" 60 'C:\demo\NorvaneSetup.exe' '-lC:\Logs\Wizard' >"$SCENARIO_DIR/second.out" 2>/dev/null &
second=$!
check_eq "second wizard: the sentence in a box" "$busy" "$(drv msgbox-text-and-ok Brenmoor 30)"
wait "$second" || true
check_eq "second wizard: exit code" 1618 "$(exit_code_in "$SCENARIO_DIR/second.out")"

check_eq "the refused runs wrote nothing but their logs" "" "$(added_paths "$before" | grep -v '^\./Logs')"
check_eq "no Uninstall entry from the refused runs" "" "$(reg_value "$UNINSTALL_KEY\\Norvane_new" DisplayName)"

run_program 120 'C:\demo\TallysetSetup.exe' '-dC:\Apps' '-lC:\Logs\Tallyset'
check_eq "another product meanwhile: exit code" 0 "$EXIT_CODE"
check "another product meanwhile: installed" test -f "$DRIVE_C/Apps/QVX/Tallyset/Tallyset1.6.0003.0000.0035/Quorvin.exe"
check_eq "another product meanwhile: its Uninstall entry" Tallyset \
  "$(reg_value "$UNINSTALL_KEY\\Tallyset_new" DisplayName)"

act "the first run: on to the last page" next_until ready
act "the first run: Finish" wiz post-click 12325
expect_wizard_success "the first run"
check "the first run: installed" test -f "$DRIVE_C/Program Files (x86)/QVX/Norvane/Norvane1.6.0003.0000.0035/Quorvin.exe"
check_eq "the first run: its Uninstall entry" "C:\\Program Files (x86)\\QVX\\" \
  "$(reg_value "$UNINSTALL_KEY\\Norvane_new" InstallLocation)"

run_program 120 'C:\demo\NorvaneSetup.exe' '-dC:\Apps' '-lC:\Logs\Again'
check_eq "after the first run ended, the product installs again: exit code" 0 "$EXIT_CODE"
check "after the first run ended: installed" test -f "$DRIVE_C/Apps/QVX/Norvane/Norvane1.6.0003.0000.0035/Quorvin.exe"
finish
