#!/usr/bin/env bash
# A log folder that cannot be created ends the run with exit code 1 and nothing done: with a box
# in a wizard run, without one in an unattended run (a box would block a deployment forever).
source "$(dirname "$0")/lib.sh"
new_prefix
cp "$SETUP_EXE" "$DRIVE_C/Setup.exe"
before=$(list_drive)

# '|' cannot be part of a folder name: its parent C:\ exists, so the folder is chosen and fails.
run_program 60 'C:\Setup.exe' '-dC:\Apps' '-lC:\bad|name'
check_eq "unattended: exit code 1 and no box (a box would time out)" 1 "$EXIT_CODE"

wine "$BUILD_DIR/tests/msgbox_reader.exe" 'Class LogFileEx' 30 'C:\box.txt' >/dev/null 2>&1 &
reader=$!
run_program 60 'C:\Setup.exe' '-lC:\bad|name'
wait "$reader" && found=yes || found=no
check_eq "wizard run: the box appeared" yes "$found"
check_eq "wizard run: the box text" 'C:\bad|name Create Fail. Exit Now! Error ID :123' "$(cat "$DRIVE_C/box.txt" 2>/dev/null)"
check_eq "wizard run: exit code 1" 1 "$EXIT_CODE"
rm -f "$DRIVE_C/box.txt"
check_eq "nothing was written" "$before" "$(list_drive)"
finish
