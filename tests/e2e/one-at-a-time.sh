#!/usr/bin/env bash
# One installation of a product at a time, and only while it changes the machine. A wizard left
# open on its welcome page holds nothing: an unattended run of the product installs meanwhile, and
# the wizard's Cancel still ends with 1602. A wizard whose Finish is installing holds the product's
# lock (here it waits on the box about a file it cannot write): meanwhile an unattended run of the
# product, and one from a package that writes the company and application names in other
# letters, each end with 1618 and write nothing but their logs; Tallyset, another product of the
# same company, installs. Once that attempt has ended, a second Finish installs, and after it the
# product installs unattended again.
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

start_setup 300 'C:\demo\NorvaneSetup.exe' '-lC:\Logs\Idle'
act "an idle wizard appears" drv wait-window "$WIZARD" 30
run_program 120 'C:\demo\NorvaneSetup.exe' '-dC:\Early' '-lC:\Logs\Early'
check_eq "beside an idle wizard, the product installs: exit code" 0 "$EXIT_CODE"
check "beside an idle wizard: installed" test -f "$DRIVE_C/Early/QVX/Norvane/Norvane1.6.0003.0000.0035/Quorvin.exe"
act "the idle wizard: Cancel" wiz click 2
wait_setup 30
check_eq "the idle wizard's Cancel still ends the run with 1602" 1602 "$EXIT_CODE"

# A folder at the name of one of the product's files: the Finish's attempt stops at it with a box
# and holds the lock until the box is answered.
blocker="$DRIVE_C/Program Files (x86)/QVX/Norvane/Norvane1.6.0003.0000.0035/BrenmoorEHR/locales/am.pak"
mkdir -p "$blocker"
start_setup 300 'C:\demo\NorvaneSetup.exe' '-lC:\Logs\First'
act "the first run's wizard appears" drv wait-window "$WIZARD" 30
act "the first run: on to the last page" next_until ready
act "the first run: Finish" wiz post-click 12325
act "the first run's attempt waits on a box" drv wait-window Brenmoor 60
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

check_eq "the refused runs wrote nothing but their logs" "" "$(added_paths "$before" | grep -v '^\./Logs')"
check_eq "the Uninstall entry is still the earlier run's" 'C:\Early\QVX\' \
  "$(reg_value "$UNINSTALL_KEY\\Norvane_new" InstallLocation)"

run_program 120 'C:\demo\TallysetSetup.exe' '-dC:\Apps' '-lC:\Logs\Tallyset'
check_eq "another product meanwhile: exit code" 0 "$EXIT_CODE"
check "another product meanwhile: installed" test -f "$DRIVE_C/Apps/QVX/Tallyset/Tallyset1.6.0003.0000.0035/Quorvin.exe"
check_eq "another product meanwhile: its Uninstall entry" Tallyset \
  "$(reg_value "$UNINSTALL_KEY\\Tallyset_new" DisplayName)"

# The attempt's boxes (the delete and the create of the file), then its failure; the wizard stays.
for _ in 1 2 3 4; do
  [ "$(drv msgbox-text-and-ok Brenmoor 60)" == "Installation of Brenmoor has failed." ] && break
done
check_eq "the first run: the wizard stays after the failed attempt" "ready back=1 next=0 finish=1" \
  "$(wizard_state)"
rmdir "$blocker"
act "the first run: Finish again" wiz post-click 12325
expect_wizard_success "the first run"
check "the first run: installed" test -f "$DRIVE_C/Program Files (x86)/QVX/Norvane/Norvane1.6.0003.0000.0035/Quorvin.exe"
check_eq "the first run: its Uninstall entry" "C:\\Program Files (x86)\\QVX\\" \
  "$(reg_value "$UNINSTALL_KEY\\Norvane_new" InstallLocation)"

run_program 120 'C:\demo\NorvaneSetup.exe' '-dC:\Apps' '-lC:\Logs\Again'
check_eq "after the first run ended, the product installs again: exit code" 0 "$EXIT_CODE"
check "after the first run ended: installed" test -f "$DRIVE_C/Apps/QVX/Norvane/Norvane1.6.0003.0000.0035/Quorvin.exe"
finish
