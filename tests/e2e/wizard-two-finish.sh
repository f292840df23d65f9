#!/usr/bin/env bash
# A Finish that fails midway, then a second Finish: the first attempt writes some of the product's
# files, meets a file it cannot write (a folder stands at its name), takes back what it wrote and
# reports the failure in the log and in a box; the wizard stays on its ready page. With the
# obstacle gone, a second Finish starts afresh (the archive from its first entry, a new record),
# installs and ends 0, and the machine is as after one clean installation: what an unattended run
# with the same choices leaves. The log keeps every line of both attempts.
source "$(dirname "$0")/lib.sh"
need_display "$@"
new_prefix
pack_demo "$DRIVE_C/demo/NorvaneSetup.exe"
program_files="$DRIVE_C/Program Files (x86)"
company=$program_files/QVX
version_folder=$company/Norvane/Norvane1.6.0003.0000.0035
blocker=$version_folder/BrenmoorEHR/locales/am.pak

# What one clean installation leaves: the unattended run with the wizard's default choices (the
# desktop box is checked), then removed again.
run_program 120 'C:\demo\NorvaneSetup.exe' '-dC:\Program Files (x86)' -t '-lC:\Unattended'
check_eq "unattended run: exit code" 0 "$EXIT_CODE"
clean=$(installation_record "$company" Norvane)
rm -rf "$company" "$DRIVE_C/$START_MENU/QVX" "$DRIVE_C"/users/*/Desktop/Brenmoor.*
wine reg delete "$UNINSTALL_KEY\\Norvane_new" /f >/dev/null 2>&1
rm -rf "$DRIVE_C/ProgramData/QVX"

mkdir -p "$blocker"
before=$(list_drive)
WIZARD="Brenmoor Setup"
start_setup 300 'C:\demo\NorvaneSetup.exe' '-lC:\Logs'
act "the wizard appears" drv wait-window "$WIZARD" 30
act "Next to the ready page" next_until ready
act "Finish" wiz post-click 12325
# The write's own boxes come first (the delete and the create of am.pak), the outcome last.
boxes=""
for _ in 1 2 3 4; do
  text=$(drv msgbox-text-and-ok Brenmoor 60) || break
  boxes+="$text"$'\n'
  [ "$text" == "Installation of Brenmoor has failed." ] && break
done
check "failed Finish: the write's report names the file (boxes: $boxes)" \
  grep -qF 'Cannot create file C:\Program Files (x86)\QVX\Norvane\Norvane1.6.0003.0000.0035\BrenmoorEHR\locales\am.pak' <<<"$boxes"
check_eq "failed Finish: the failure box comes last" "Installation of Brenmoor has failed." \
  "$(tail -n 1 <<<"${boxes%$'\n'}")"
check_eq "failed Finish: the wizard stays on its ready page" "ready back=1 next=0 finish=1" \
  "$(wizard_state)"
check_eq "failed Finish: what the attempt wrote is gone" "" \
  "$(comm -3 <(echo "$before") <(list_drive) | grep -v '^\s*\./Logs')"

rmdir "$blocker"
act "Finish again" wiz post-click 12325
expect_wizard_success "second Finish"
check_eq "the machine is as after one clean installation" "$clean" \
  "$(installation_record "$company" Norvane)"

log=$(log_messages "$DRIVE_C"/Logs/NorvaneSetup*.log)
check "the log has the failed attempt's report" grep -qF 'Cannot create file C:\Program Files (x86)' <<<"$log"
check "the log has the first attempt's rollback" grep -qF 'Rolling back this run.' <<<"$log"
check "the log has the failure sentence" grep -qxF 'Installation of Brenmoor has failed.' <<<"$log"
check "the log has the success sentence after it" \
  test "$(grep -nxF 'Installation of Brenmoor has completed successfully.' <<<"$log" | cut -d: -f1)" \
  -gt "$(grep -nxF 'Installation of Brenmoor has failed.' <<<"$log" | cut -d: -f1)"
check "the second attempt read the archive from its start" \
  bash -c '! grep -qF "file list ends early" <<<"$1"' _ "$log"
check "the log is well formed" log_is_well_formed "$DRIVE_C"/Logs/NorvaneSetup*.log \
  "$DEMO/appConfig.xml"
finish
