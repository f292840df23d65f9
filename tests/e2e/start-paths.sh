#!/usr/bin/env bash
# Paths at start-up: an installer whose own path is 260 characters or longer runs unattended to
# its end without a window; a relative -d and -l are made absolute, so the registry and
# ExePathInfo name the folders whatever folder the product's programs later run in.
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

# Relative -d and -l, from the working folder C:\work.
mkdir -p "$DRIVE_C/work"
cd "$DRIVE_C/work"
run_program 120 'C:\demo\NorvaneSetup.exe' '-dRel' '-lLogs'
cd "$SCENARIO_DIR"
check_eq "relative -d: exit code" 0 "$EXIT_CODE"
key="$UNINSTALL_KEY\\Norvane_new"
check_eq "relative -d: UninstallString is absolute" \
  '"C:\work\Rel\QVX\unwindle.exe" "C:\work\Rel" "AppInfo.xml" "QVX" "Norvane" "FALSE"' \
  "$(reg_value "$key" UninstallString)"
check_eq "relative -d: DisplayIcon is absolute" 'C:\work\Rel\QVX\unwindle.exe' \
  "$(reg_value "$key" DisplayIcon)"
check_eq "relative -d: ExePathInfo is absolute" \
  'C:\work\Rel\QVX\Norvane\Norvane1.6.0003.0000.0035\' "$(cat "$DRIVE_C/work/Rel/QVX/ExePathInfo")"
check "relative -l: the log below the working folder" \
  file_has_line "$DRIVE_C/work/Logs/NorvaneSetup$month.log" \
  "Enter function PrepareInstall() with parameter str is C:\\work\\Rel\\QVX."
finish
