#!/usr/bin/env bash
# The progress dialog of a wizard run, with a product large enough to watch: its caption, its
# status texts and bar while the files are copied, the success box and exit 0; then the same
# installation stopped with Escape while the files are copied: the failure box, exit 1602, and
# the drive and the registry exactly as before the run (the files written so far are taken back,
# with every folder the run made), its log aside.
source "$(dirname "$0")/lib.sh"
need_display "$@"
new_prefix

# A product of 3000 small files with four big ones among them, all incompressible: the many
# files make the copying last several seconds (the log's flush no longer slows each file down),
# the big ones make it likely that a stop arrives in the middle of a file.
product=$SCENARIO_DIR/large
cp -r "$DEMO/product" "$product"
python3 - "$product/Data" <<'PY'
import os, sys
folder = sys.argv[1]
os.makedirs(folder)
for i in range(3000):
    with open(os.path.join(folder, 'f%04d.bin' % i), 'wb') as f:
        f.write(os.urandom(4096))
for i in (20, 40, 60, 80):
    with open(os.path.join(folder, 'f%04dx.bin' % i), 'wb') as f:
        f.write(os.urandom(24 * 1024 * 1024))
PY
entries=$(find "$product" -type f | wc -l)
data_files=$(find "$product/Data" -type f | wc -l)
pack_product "$DRIVE_C/demo/LargeSetup.exe" "$product" "$DEMO/appConfig.xml"
company="$DRIVE_C/Program Files (x86)/QVX"
data=$company/Norvane/Norvane1.6.0003.0000.0035/Data
WIZARD="Brenmoor Setup"
PROGRESS="Please Wait.."

# finish_wizard : from the start through to Finish, with the default choices.
finish_wizard() {
  drv wait-window "$WIZARD" 30 >/dev/null &&
    next_until ready && wiz post-click 12325 >/dev/null
}

# A run to its end.
start_setup 300 'C:\demo\LargeSetup.exe' '-lC:\Logs'
# Every status text from the moment the dialog appears until it closes.
wine "$DRIVER_EXE" watch-texts "$PROGRESS" 1029 120 >"$SCENARIO_DIR/texts" 2>/dev/null &
watcher=$!
act "through the wizard to Finish" finish_wizard
check "the progress dialog, captioned $PROGRESS" drv wait-window "$PROGRESS" 30
sleep 1
position=$(drv -w "$PROGRESS" progress 1030)
screenshot 7-progress "$PROGRESS"
screenshot 7-progress-over-wizard "$WIZARD"
check "the bar moves while the files are copied (at $position)" test "${position:-0}" -gt 0 -a "${position:-100}" -lt 100
check_eq "the success box" "Installation of Brenmoor has completed successfully." \
  "$(drv msgbox-text-and-ok Brenmoor 120)"
wait "$watcher" || true
wait_setup 30
check_eq "exit code" 0 "$EXIT_CODE"
texts=$(tr -d '\r' <"$SCENARIO_DIR/texts")
check_eq "the status line ends with the count of files" "$entries Files successfully extracted." "$(tail -n 1 <<<"$texts")"
check_eq "every other status text is a percentage" "" \
  "$(sed '$d' <<<"$texts" | grep -vxE '|Copying files [0-9]{1,2}%')"
percentages=$(sed -n 's/^Copying files \([0-9]*\)%$/\1/p' <<<"$texts")
check "the percentages never go back" sort -n -c <<<"$percentages"
check "the percentages start at 0" grep -qx 'Copying files 0%' <<<"$texts"
check "every file is there" test "$(find "$data" -type f | wc -l)" -eq "$data_files"

# The same installation stopped with Escape while the files are copied.
rm -rf "$company" "$DRIVE_C/$START_MENU/QVX" "$DRIVE_C"/users/*/Desktop/Brenmoor.*
wine reg delete "$UNINSTALL_KEY\\Norvane_new" /f >/dev/null 2>&1
rm -rf "$DRIVE_C/Logs"
machine_state "$SCENARIO_DIR/before" Logs
start_setup 300 'C:\demo\LargeSetup.exe' '-lC:\Logs'
act "through the wizard to Finish" finish_wizard
act "the progress dialog" drv wait-window "$PROGRESS" 30
for wait in $(seq 100); do [ "$(drv -w "$PROGRESS" progress 1030)" -gt 0 ] 2>/dev/null && break; sleep 0.1; done
act "Escape while the files are copied" drv -w "$PROGRESS" press-escape
escaped=$SECONDS
act "the progress dialog ends" drv wait-gone "$PROGRESS" 5
check "it ends within about a second" test $((SECONDS - escaped)) -le 3
check_eq "the failure box" "Installation of Brenmoor has failed." "$(drv msgbox-text-and-ok Brenmoor 30)"
wait_setup 30
check_eq "stopped: exit code" 1602 "$EXIT_CODE"
# The count of files placed when the stop came, as the log gives it.
stopped=$(log_messages "$DRIVE_C"/Logs/LargeSetup*.log |
  sed -n "s/^Extraction stopped at the dialog's request after \([0-9]*\) of $entries files\.\$/\1/p")
check "stopped: the copying was cut short after ${stopped:-no} of $entries files" \
  test "${stopped:-0}" -gt 0 -a "${stopped:-$entries}" -lt "$entries"
check_machine "stopped: the drive and the registry as before the run, the log aside" \
  "$SCENARIO_DIR/before" Logs
check "stopped: no ExePathInfo" test ! -e "$company/ExePathInfo"
check "stopped: no Start-menu links" test -z "$(ls "$DRIVE_C/$START_MENU/QVX" 2>/dev/null)"
check_eq "stopped: no Uninstall entry" "" "$(reg_value "$UNINSTALL_KEY\\Norvane_new" DisplayName)"
finish
