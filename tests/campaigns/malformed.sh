#!/usr/bin/env bash
# Malformed installers end to end: payloads derived from the demo product (tests/campaigns/
# malformed_payloads.py) are each attached to a copy of Setup.exe and run unattended under Wine
# with a time limit, in one prefix whose drive is listed before and after every run.
#   malformed.sh [--smoke]     (--smoke: about 35 payloads, for the test command)
# Figures (all but the first must be 0): runs; exits other than 0 or 1603; time-outs; runs that
# wrote outside the target folder; runs refused after the first write. The table goes to stdout
# and to $BUILD_DIR/campaigns/malformed.md.
source "$SOURCE_DIR/tests/e2e/lib.sh"
mode=${1:-}
new_prefix
pack_demo "$DRIVE_C/demo/NorvaneSetup.exe"
python3 "$SOURCE_DIR/tests/campaigns/malformed_payloads.py" "$DRIVE_C/pack/payload.bin" \
  "$SCENARIO_DIR/payloads" $mode >/dev/null

runs=0 bad_exits=0 timeouts=0 outside=0 after_write=0 installed=0
report=$SCENARIO_DIR/details.txt
: >"$report"
for bad in "$SCENARIO_DIR"/payloads/*.bin; do
  kind=$(basename "$bad" .bin)
  cp "$bad" "$DRIVE_C/demo/bad.bin"
  if ! wine "$BUILD_DIR/tests/attach_payload.exe" 'C:\pack\Setup.exe' 'C:\demo\BadSetup.exe' \
      'C:\demo\bad.bin' >/dev/null 2>&1; then
    echo "$kind: could not be attached" >>"$report"; bad_exits=$((bad_exits + 1)); continue
  fi
  rm -rf "$DRIVE_C/Target" "$DRIVE_C/Logs"
  before=$(list_drive)
  run_program 60 'C:\demo\BadSetup.exe' '-dC:\Target' '-lC:\Logs'
  runs=$((runs + 1))
  added=$(added_paths "$before" | grep -v -e '^\./Logs' -e '^\./Target' || true)
  case "$EXIT_CODE" in
    1603) if [ -n "$(ls -A "$DRIVE_C/Target" 2>/dev/null)" ]; then
            after_write=$((after_write + 1)); echo "$kind: refused after writing below the target" >>"$report"
          fi ;;
    0) installed=$((installed + 1)); echo "$kind: installed (exit 0)" >>"$report"
       # An installation that went through may add its Start-menu folder; nothing else outside.
       added=$(grep -v "^\./$START_MENU/QVX" <<<"$added" || true) ;;
    timeout) timeouts=$((timeouts + 1)); echo "$kind: time-out" >>"$report" ;;
    *) bad_exits=$((bad_exits + 1)); echo "$kind: exit $EXIT_CODE" >>"$report" ;;
  esac
  if [ -n "$added" ]; then
    outside=$((outside + 1)); echo "$kind: wrote outside the target: $(echo $added)" >>"$report"
  fi
  if [ "$EXIT_CODE" = 1603 ] && ! tr -d '\r' <"$DRIVE_C"/Logs/BadSetup*.log 2>/dev/null |
      grep -qE 'Uncompress data failed!|The installation package is damaged and was refused: |Not enough memory to unpack'; then
    echo "$kind: 1603 without a refusal in the log" >>"$report"; bad_exits=$((bad_exits + 1))
  fi
done

table="| figure | value | target |
|---|---|---|
| runs | $runs | at least 300 (full run) |
| installations that went through (exit 0) | $installed | - |
| exits other than 0 or 1603, or 1603 without a refusal in the log | $bad_exits | 0 |
| time-outs (60 s) | $timeouts | 0 |
| runs that wrote outside the target folder | $outside | 0 |
| runs refused after the first write | $after_write | 0 |"
mkdir -p "$BUILD_DIR/campaigns"
echo "$table" | tee "$BUILD_DIR/campaigns/malformed${mode:+-smoke}.md"
cat "$report"
check_eq "exits other than 0 or 1603" 0 "$bad_exits"
check_eq "time-outs" 0 "$timeouts"
check_eq "runs that wrote outside the target folder" 0 "$outside"
check_eq "runs refused after the first write" 0 "$after_write"
[ "$mode" = --smoke ] || check "at least 300 runs" test "$runs" -ge 300
finish
