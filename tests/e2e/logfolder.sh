#!/usr/bin/env bash
# A log folder that cannot hold the log (a file; a name Windows refuses; a folder whose log file
# name would pass 259 characters; a log file another program holds without sharing) gives way to
# the temporary folder, and the log says so. Only when the temporary folder cannot take the log
# either, or the log file's own name is too long for any folder, does the run end with exit code
# 1 and nothing done: with a box in a wizard run, without one in an unattended run (a box would
# block a deployment forever).
source "$(dirname "$0")/lib.sh"
new_prefix
cp "$SETUP_EXE" "$DRIVE_C/Setup.exe"

# expect_temporary_log WHAT REQUESTED WHY : a run with -lREQUESTED goes on (the built Setup.exe
# installs its empty product) and logs to the temporary folder, first a line that names
# REQUESTED and says WHY.
expect_temporary_log() {
  local what=$1 requested=$2 why=$3 temp_log temp
  rm -f "$DRIVE_C"/users/*/Temp/Setup*.log
  run_program 60 'C:\Setup.exe' '-dC:\Apps' "-l$requested"
  check_eq "$what as the log folder: the run goes on" 0 "$EXIT_CODE"
  temp_log=$(ls "$DRIVE_C"/users/*/Temp/Setup"$(date +%Y-%m)".log 2>/dev/null | head -n 1 || true)
  check "$what as the log folder: a log in the temporary folder" test -n "$temp_log"
  temp="$(winpath "$(dirname "$temp_log")")\\"
  check "$what as the log folder: the log names it and says why" file_has_line "$temp_log" \
    "The log folder $requested cannot hold the log: $why. The log is written to the temporary folder $temp instead."
  check "$what as the log folder: the run's lines follow" file_has_line "$temp_log" "Enter function Init()."
}
echo "not a folder" >"$DRIVE_C/Logs.txt"
expect_temporary_log "a file" 'C:\Logs.txt' "it is a file, not a folder"
long_name=$(printf 'l%.0s' {1..240})  # C:\<240 characters>\Setup<YYYY-MM>.log: 260 characters
expect_temporary_log "a long name" "C:\\$long_name" \
  "the log file name in it would be longer than 259 characters"
check "a long name: the folder was not made" test ! -e "$DRIVE_C/$long_name"
# '|' cannot be part of a folder name (nor can the quote the C runtime keeps of "-lC:\Logs\").
expect_temporary_log "a name Windows refuses" 'C:\bad|name' "it is no folder and cannot be created"

# A viewer holds the folder's log file without sharing: every line would be refused, so the run
# logs to the temporary folder instead, and leaves the held file alone.
month=$(date +%Y-%m)
mkdir -p "$DRIVE_C/Logs"
if hold "C:\\Logs\\Setup$month.log"; then
  expect_temporary_log "a folder whose log file another program holds" 'C:\Logs' \
    "its log file Setup$month.log is held open by another program"
  release_hold
  check_eq "a held log file: no line was added to it" 0 "$(stat -c %s "$DRIVE_C/Logs/Setup$month.log")"
fi

# An installer whose own name makes its log file name longer than 255 characters (the longest name
# of one file): no folder can hold the log, so the run ends with exit code 1 and nothing done.
long_exe=$(printf 'S%.0s' {1..247})  # <247 characters>$month.log: 258 characters
cp "$SETUP_EXE" "$DRIVE_C/$long_exe.exe"
rm -f "$DRIVE_C"/users/*/Temp/*.log
before=$(list_drive)
run_program 60 "C:\\$long_exe.exe" '-dC:\A' '-lC:\L'
check_eq "a log file name over 255 characters, with -l: exit code 1" 1 "$EXIT_CODE"
run_program 60 "C:\\$long_exe.exe" '-dC:\A'
check_eq "a log file name over 255 characters, without -l: exit code 1" 1 "$EXIT_CODE"
wine "$BUILD_DIR/tests/msgbox_reader.exe" 'Class LogFileEx' 120 'C:\box.txt' >/dev/null 2>&1 &
reader=$!
run_program 150 "C:\\$long_exe.exe" '-lC:\L'
wait "$reader" || true
check_eq "a log file name over 255 characters, wizard run: the box" \
  'C:\L Create Fail. Exit Now! Error ID :206' "$(cat "$DRIVE_C/box.txt" 2>/dev/null)"
check_eq "a log file name over 255 characters, wizard run: exit code 1" 1 "$EXIT_CODE"
rm -f "$DRIVE_C/box.txt"
check_eq "a log file name over 255 characters: nothing was written" "$before" "$(list_drive)"

# A -l value ending in .log names the log file itself, as a deployment engine's log path does:
# its folders are made, and the whole run, down to its exit code, is in that one file.
run_program 60 'C:\Setup.exe' '-dC:\Apps' '-lC:\Deploy\winget\Install Norvane.log'
check_eq "a log file: the run ends" 0 "$EXIT_CODE"
check "a log file: the run's lines are in it" file_has_line \
  "$DRIVE_C/Deploy/winget/Install Norvane.log" "Enter function Init()."
check_eq "a log file: its last line names the exit code" "The installer ends with exit code 0." \
  "$(log_messages "$DRIVE_C/Deploy/winget/Install Norvane.log" | tail -n 1)"
check_eq "a log file: nothing else in its folder" "Install Norvane.log" "$(ls "$DRIVE_C/Deploy/winget")"

# Last, as it breaks the prefix for everything after it: a temporary folder that cannot be made.
wine reg add 'HKCU\Environment' /v TEMP /t REG_SZ /d 'C:\bad|temp' /f >/dev/null 2>&1
wine reg add 'HKCU\Environment' /v TMP /t REG_SZ /d 'C:\bad|temp' /f >/dev/null 2>&1
wineserver -k; wineserver -p  # the environment is read from the registry when a process starts
before=$(list_drive)
run_program 60 'C:\Setup.exe' '-dC:\Apps' '-lC:\bad|name'
check_eq "no usable folder, unattended: exit code 1 and no box (a box would time out)" 1 "$EXIT_CODE"

wine "$BUILD_DIR/tests/msgbox_reader.exe" 'Class LogFileEx' 120 'C:\box.txt' >/dev/null 2>&1 &
reader=$!
run_program 150 'C:\Setup.exe' '-lC:\bad|name'
wait "$reader" && found=yes || found=no
check_eq "no usable folder, wizard run: the box appeared" yes "$found"
check_eq "no usable folder, wizard run: the box text" \
  'C:\bad|temp\ Create Fail. Exit Now! Error ID :123' "$(cat "$DRIVE_C/box.txt" 2>/dev/null)"
check_eq "no usable folder, wizard run: exit code 1" 1 "$EXIT_CODE"
rm -f "$DRIVE_C/box.txt"
check_eq "no usable folder: nothing was written" "$before" "$(list_drive)"

finish
