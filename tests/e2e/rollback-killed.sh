#!/usr/bin/env bash
# A run killed from outside while it writes the files of a large product cannot undo anything; its
# record stays on disk. The next run of the same product's installer rolls it back first, then
# installs: the drive and the registry then hold exactly one complete installation, the one a
# clean run makes, with no backup folder and no record left.
source "$(dirname "$0")/lib.sh"
new_prefix

# The demo product with 3,000 small files in 30 folders: long enough to be ended midway.
product=$SCENARIO_DIR/large
demo_with_data "$product" 3000 30
data_files=$(find "$product/Data" -type f | wc -l)
pack_product "$DRIVE_C/demo/LargeSetup.exe" "$product" "$DEMO/appConfig.xml"
company=$DRIVE_C/Apps/QVX
data=$company/Norvane/Norvane1.6.0003.0000.0035/Data
records=$DRIVE_C/ProgramData/QVX/Setup/Norvane
log=$DRIVE_C/Logs/LargeSetup$(date +%Y-%m).log

# Link files hold their targets' times, which differ from one installation to the next: links are
# compared by name here, and by what lnkinfo reads from them (installation_record).
links_by_name() { sed -E 's/^(file .*\.lnk) md5 .*$/\1/' "$1" >"$1.by-name"; }

# The installation a clean run makes, then removed again.
machine_state "$SCENARIO_DIR/empty" Logs
run_program 300 'C:\demo\LargeSetup.exe' '-dC:\Apps' '-lC:\Logs'
check_eq "a clean run: exit code" 0 "$EXIT_CODE"
machine_state "$SCENARIO_DIR/clean" Logs
clean_record=$(installation_record "$company" Norvane)
app_files() { (cd "$company/Norvane" && find . -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum); }
clean_app=$(app_files)
rm -rf "$DRIVE_C/Apps" "$DRIVE_C/$START_MENU/QVX" "$DRIVE_C/Logs"
wine reg delete "$UNINSTALL_KEY\\Norvane_new" /f >/dev/null 2>&1
check_machine "the clean installation removed again" "$SCENARIO_DIR/empty" Logs

# The number of data files the version folder holds.
written_files() { find "$data" -type f 2>/dev/null | wc -l || true; }

# The run, ended from outside once the version folder holds some of its files; sets |written|.
kill_midway() {
  wine 'C:\demo\LargeSetup.exe' '-dC:\Apps' '-lC:\Logs' >/dev/null 2>&1 &
  local setup=$! wait
  written=0
  for wait in $(seq 600); do
    written=$(written_files)
    [ "$written" -ge 300 ] && break
    kill -0 "$setup" 2>/dev/null || break
    sleep 0.05
  done
  kill -KILL "$setup" 2>/dev/null
  wait "$setup" 2>/dev/null || true
  written=$(written_files)
}
kill_midway
check "the run was killed while it wrote the files ($written of $data_files)" \
  test "$written" -ge 300 -a "$written" -lt "$data_files"
killed_record=$(cd "$records" 2>/dev/null && ls -- *.journal 2>/dev/null || true)
check "the killed run left its record (${killed_record:-none})" test "$(wc -w <<<"$killed_record")" -eq 1
check_eq "the killed run ended without its outcome sentence" "" \
  "$(log_messages "$log" | grep -E '^Installation of Brenmoor has ' || true)"

# The next run of the same installer.
run_program 300 'C:\demo\LargeSetup.exe' '-dC:\Apps' '-lC:\Logs'
check_eq "the next run: exit code" 0 "$EXIT_CODE"
messages=$(log_messages "$log")
recovered="An earlier run of this product ended without finishing (record C:\\ProgramData\\QVX\\Setup\\Norvane\\$killed_record); its changes are rolled back."
check "the next run: it names the killed run's record" grep -qxF -- "$recovered" <<<"$messages"
check "the next run: the killed run rolled back whole" \
  grep -qxE 'Rollback of the earlier run finished: [1-9][0-9]* changes undone, 0 could not be undone\.' \
  <<<"$messages"
check "the next run: the rollback before anything else, its own installation after it" \
  grep -qxF 'Enter function PrepareInstall() with parameter str is C:\Apps\QVX.' \
  <(sed -n "/^An earlier run of this product ended without finishing/,\$p" <<<"$messages")
check_eq "the next run: the success sentence ends the log" \
  "Installation of Brenmoor has completed successfully." "$(outcome_line <<<"$messages")"
machine_state "$SCENARIO_DIR/after" Logs
links_by_name "$SCENARIO_DIR/clean"
links_by_name "$SCENARIO_DIR/after"
check_same_state "exactly the drive and registry of a clean installation: no backup, no record" \
  "$SCENARIO_DIR/clean.by-name" "$SCENARIO_DIR/after.by-name"
check_eq "the files, links and Uninstall values of a clean installation" "$clean_record" \
  "$(installation_record "$company" Norvane)"

# Another product of the company installs into the company folder and the Start-menu folder that
# a killed run made; the rollback of that run must not take the other product with it.
rm -rf "$DRIVE_C/Apps" "$DRIVE_C/$START_MENU/QVX"
wine reg delete "$UNINSTALL_KEY\\Norvane_new" /f >/dev/null 2>&1
sed -e 's|<appName>Norvane</appName>|<appName>Other</appName>|' \
  -e 's|<alias>Brenmoor</alias>|<alias>OtherMain</alias>|' \
  -e 's|<alias>Uninstall Norvane</alias>|<alias>Uninstall Other</alias>|' \
  "$DEMO/appConfig.xml" >"$SCENARIO_DIR/other.xml"
pack_product "$DRIVE_C/demo/OtherSetup.exe" "$DEMO/product" "$SCENARIO_DIR/other.xml"
other_state() {
  (cd "$company/Other" && find . -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum)
  ls "$DRIVE_C/$START_MENU/QVX" | grep -i other || true
  wine reg query "$UNINSTALL_KEY\\Other_new" 2>/dev/null | tr -d '\r' | grep REG_ || true
}
kill_midway
check "a second killed run ($written of $data_files files)" test "$written" -lt "$data_files"
run_program 300 'C:\demo\OtherSetup.exe' '-dC:\Apps' '-lC:\Logs'
check_eq "the other product installs meanwhile" 0 "$EXIT_CODE"
other_before=$(other_state)
run_program 300 'C:\demo\LargeSetup.exe' '-dC:\Apps' '-lC:\Logs'
check_eq "the next run after the second kill: exit code" 0 "$EXIT_CODE"
check_eq "the other product's files, links and Uninstall values are untouched" "$other_before" \
  "$(other_state)"
check "the other product's links are there" grep -q 'OtherMain.lnk' <<<"$other_before"
check_eq "this product's application folder complete again" "$clean_app" "$(app_files)"
finish
