#!/usr/bin/env bash
# Paths at start-up: an installer whose own path is 260 characters or longer runs unattended to
# its end without a window.
source "$(dirname "$0")/lib.sh"
new_prefix
pack_demo "$DRIVE_C/demo/NorvaneSetup.exe"
month=$(date +%Y-%m)

# Windows cannot start a program from such a path (CreateProcess refuses it), so Wine's loader
# starts it from its Unix path; its exit status keeps the low 8 bits of the code, enough for 0.
# A box would wait for a click until the time-out (exit status 124).
deep=$(printf 'a%.0s' {1..100})/$(printf 'b%.0s' {1..100})/$(printf 'c%.0s' {1..50})
mkdir -p "$DRIVE_C/$deep"
cp "$DRIVE_C/demo/NorvaneSetup.exe" "$DRIVE_C/$deep/"
check "the installer's path is 260 characters or longer" \
  test "$(winpath "$DRIVE_C/$deep/NorvaneSetup.exe" | wc -c)" -gt 260
status=0
timeout 120 wine "$DRIVE_C/$deep/NorvaneSetup.exe" '-dC:\Deep' '-lC:\Logs' \
  >/dev/null 2>&1 || status=$?
check_eq "a long path of its own: ended by itself, with exit code 0" 0 "$status"
check "a long path of its own: the log is named after it and ends with the success sentence" \
  file_has_line "$DRIVE_C/Logs/NorvaneSetup$month.log" \
  "Installation of Brenmoor has completed successfully."

finish
