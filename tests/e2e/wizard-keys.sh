#!/usr/bin/env bash
# The setup wizard with the keyboard alone: real key presses (SendInput into the foreground
# window) and the focus read after every key. Tab and Shift+Tab go round the page's controls and
# the frame's buttons, out of the licence and information texts too; every page that shows gets
# the focus; Back to the first page leaves the focus on Next, where Enter still works; Escape in
# a text cancels (1602); Finish on the host page keeps what was typed there. Then a run whose
# worker fails: its box belongs to the progress dialog, which is centred over the wizard.
source "$(dirname "$0")/lib.sh"
need_display "$@"
new_prefix
pack_demo "$DRIVE_C/demo/NorvaneSetup.exe"
WIZARD="Brenmoor Setup"
company="$DRIVE_C/Program Files (x86)/QVX"
appinfo=$company/Norvane/AppData/AppInfo.xml

# keys KEY... : presses each key; after each, the key and where the focus went, one a line.
keys() {
  local key
  for key in "$@"; do echo "$key -> $(wiz key "$key")"; done
}
# walk DESCRIPTION EXPECTED KEY... : the keys, checked against the lines they must give.
walk() {
  local what=$1 want=$2; shift 2
  check_eq "$what" "$want" "$(keys "$@")"
}
start_wizard() {
  start_setup 120 'C:\demo\NorvaneSetup.exe' '-lC:\Logs'
  act "the wizard appears" drv wait-window "$WIZARD" 30
}
# centred W H X Y OWNER_W OWNER_H OWNER_X OWNER_Y : the two rectangles' centres meet, to a pixel.
centred() {
  local dx=$((2 * $3 + $1 - 2 * $7 - $5)) dy=$((2 * $4 + $2 - 2 * $8 - $6))
  [ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ]
}

# The frame's buttons: Back 12323, Next 12324, Cancel 2, Finish 12325. The demo's pages: welcome,
# licence (text 1017, answers 1011 and 1012), information (text 1017), host settings (hosts 1025,
# update hosts 1027, web hosts 1033), destination (desktop box 1031, folder 1017), ready.
start_wizard
check_eq "welcome: the focus on Next" "frame:12324" "$(wiz focus)"
walk "welcome: Tab goes round the enabled buttons; Enter on Next" "tab -> frame:2
tab -> frame:12324
enter -> page:1017" tab tab enter
check_eq "Enter led to the licence page" licence "$(page_name)"
walk "licence: Tab leaves the text for the chosen answer and the buttons, and comes back" \
  "tab -> page:1012
tab -> frame:12323
tab -> frame:12324
tab -> frame:2
tab -> page:1017" tab tab tab tab tab
walk "licence: Shift+Tab the same way round backwards" "shift+tab -> frame:2
shift+tab -> frame:12324
shift+tab -> frame:12323
shift+tab -> page:1012
shift+tab -> page:1017" shift+tab shift+tab shift+tab shift+tab shift+tab
walk "licence: accepted with an arrow key, Enter moves on" "tab -> page:1012
up -> page:1011
enter -> page:1017" tab up enter
check_eq "the licence accepted, Enter led to the information page" information "$(page_name)"
walk "information: Tab and Shift+Tab leave the text" "tab -> frame:12323
shift+tab -> page:1017
shift+tab -> frame:2
tab -> page:1017
tab -> frame:12323
tab -> frame:12324
enter -> page:1025" tab shift+tab shift+tab tab tab tab enter
check_eq "Next led to the host page" host "$(page_name)"
walk "host: through the edits to the buttons" "tab -> page:1027
tab -> page:1033
tab -> frame:12323
shift+tab -> page:1033
enter -> page:1031" tab tab tab shift+tab enter
check_eq "Enter in an edit acts as Next" destination "$(page_name)"
act "typing on the destination page" wiz type "stray"
walk "destination: Enter moves on; the ready page gives Finish the focus" \
  "enter -> frame:12325" enter
check_eq "the ready page" ready "$(page_name)"
walk "ready: Back with the keyboard; each page shown gets the focus" "shift+tab -> frame:2
shift+tab -> frame:12323
enter -> page:1031
shift+tab -> frame:12325
shift+tab -> frame:2
shift+tab -> frame:12324
shift+tab -> frame:12323
enter -> page:1025" shift+tab shift+tab enter shift+tab shift+tab shift+tab shift+tab enter
check_eq "Back led to the host page" host "$(page_name)"
check_eq "nothing typed on the destination page went into the host page's edits" \
  "HOST1 HOST2 HOST3|WEBHOST1" "$(wiz text 1025)|$(wiz text 1033)"
act "type other hosts over the selected ones" wiz type "KEYHOST1 KEYHOST2"
walk "host: Finish with the keyboard" "shift+tab -> frame:12325" shift+tab
act "Enter on Finish" wiz key enter
expect_wizard_success "Finish on the host page"
check "Finish on the host page keeps the typed hosts in AppInfo.xml" \
  grep -qF '<HostList>KEYHOST1 KEYHOST2</HostList>' "$appinfo"

# Back to the first page: Back held the focus and is disabled there; the focus goes to Next and
# Enter still works. Then Escape in the licence text cancels the wizard.
start_wizard
walk "Back to the welcome page leaves the focus on Next; Enter still moves on" \
  "enter -> page:1017
shift+tab -> frame:2
shift+tab -> frame:12324
shift+tab -> frame:12323
enter -> frame:12324
enter -> page:1017" enter shift+tab shift+tab shift+tab enter enter
walk "Escape in the licence text" "escape -> gone" escape
wait_setup 30
check_eq "Escape in the licence text: exit code" 1602 "$EXIT_CODE"

# Escape in the information text, reached with the mouse.
start_wizard
act "to the information page" next_until information
check_eq "information: the focus in the text" "page:1017" "$(wiz focus)"
walk "Escape in the information text" "escape -> gone" escape
wait_setup 30
check_eq "Escape in the information text: exit code" 1602 "$EXIT_CODE"

# A worker that fails while the progress dialog is up: another program holds a file that the
# installation must write. The worker's box belongs to the progress dialog, not behind it.
rm -rf "$company"
version_dir=$company/Norvane/Norvane1.6.0003.0000.0035
mkdir -p "$version_dir"
wine "$BUILD_DIR/tests/hold_file.exe" "$(winpath_new "$version_dir/Updrift.exe")" 120 >"$SCENARIO_DIR/hold.out" 2>&1 &
holder=$!
for wait in $(seq 100); do grep -qs '^held' "$SCENARIO_DIR/hold.out" && break; sleep 0.1; done
check "another program holds Updrift.exe" grep -qs '^held' "$SCENARIO_DIR/hold.out"
start_wizard
act "to the ready page" next_until ready
act "Finish" wiz post-click 12325
act "the worker's box" drv wait-window Brenmoor 60
check_eq "the worker's box belongs to the progress dialog" "Please Wait.." "$(drv -w Brenmoor owner)"
read -r pw ph px py <<<"$(drv -w "Please Wait.." geometry | tr 'x+' '  ')"
read -r ww wh wx wy <<<"$(drv -w "$WIZARD" geometry | tr 'x+' '  ')"
check "the progress dialog is centred over the wizard (${pw}x$ph+$px+$py over ${ww}x$wh+$wx+$wy)" \
  centred "$pw" "$ph" "$px" "$py" "$ww" "$wh" "$wx" "$wy"
screenshot 8-error-over-progress
# The worker's boxes about the held file, then the failure sentence.
texts=""
for box in 1 2 3 4; do
  text=$(drv msgbox-text-and-ok Brenmoor 60) || break
  texts="$texts$text
"
  [ "$text" == "Installation of Brenmoor has failed." ] && break
done
check "the worker's boxes name the held file" grep -q 'Updrift.exe' <<<"$texts"
check_eq "then the failure box" "Installation of Brenmoor has failed." "$(sed '/^$/d' <<<"$texts" | tail -n 1)"
# The failed attempt is taken back and the wizard stays for another Finish; Escape leaves it.
check_eq "a failed worker: the wizard stays on its ready page" "ready back=1 next=0 finish=1" \
  "$(wizard_state)"
act "Escape after the failed attempt" wiz key escape
wait_setup 30
check_eq "a failed worker, then Escape: exit code" 1602 "$EXIT_CODE"
touch "$version_dir/Updrift.exe.stop"
wait "$holder" 2>/dev/null || true
finish
