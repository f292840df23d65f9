#!/usr/bin/env bash
# Damaged and hostile payloads: each is refused before anything is written, the log says why,
# and the run ends with 1603 within its time limit.
source "$(dirname "$0")/lib.sh"
new_prefix
pack_demo "$DRIVE_C/demo/NorvaneSetup.exe"
python3 "$SOURCE_DIR/tests/e2e/bad_payloads.py" "$DRIVE_C/pack/payload.bin" "$SCENARIO_DIR/bad"

for bad in "$SCENARIO_DIR"/bad/*.bin; do
  kind=$(basename "$bad" .bin)
  # Attached as is: the packing tool would refuse these, the installer must too.
  run_attached_payload "$bad" '-dC:\Apps' || { check "$kind: attached" false; continue; }
  check_eq "$kind: exit code" 1603 "$EXIT_CODE"
  check "$kind: the log names the refusal" grep -qE 'Uncompress data failed!|The installation package is damaged and was refused: ' <<<"$MESSAGES"
  # Named by the archive's product when it can still be read, else by the installer's own name.
  check "$kind: the failure sentence names the product or the installer, and ends the log" \
    grep -qxE 'Installation of (Norvane|BadSetup) has failed\.' <<<"$(outcome_line <<<"$MESSAGES")"
  check_eq "$kind: nothing but the log was written" "$BEFORE" "$(list_drive | grep -v '^\./Logs')"
done

# Without -d the same refusal reaches the user in boxes: the loader's message, then the outcome,
# the outcome naming the installer (the bit flip leaves no product name to read).
cp "$SCENARIO_DIR/bad/bitflip.bin" "$DRIVE_C/demo/bad.bin"
wine "$BUILD_DIR/tests/attach_payload.exe" 'C:\pack\Setup.exe' 'C:\demo\BadSetup.exe' 'C:\demo\bad.bin' >/dev/null 2>&1
( wine "$BUILD_DIR/tests/msgbox_reader.exe" '' 120 'C:\box1.txt' &&
  wine "$BUILD_DIR/tests/msgbox_reader.exe" '' 120 'C:\box2.txt' ) >/dev/null 2>&1 &
reader=$!
run_program 300 'C:\demo\BadSetup.exe' '-lC:\Logs'
wait "$reader" || true
check_eq "wizard run: first box" 'Uncompress data failed!' "$(cat "$DRIVE_C/box1.txt" 2>/dev/null)"
check_eq "wizard run: second box" 'Installation of BadSetup has failed.' "$(cat "$DRIVE_C/box2.txt" 2>/dev/null)"
check_eq "wizard run: exit code" 1603 "$EXIT_CODE"
finish
