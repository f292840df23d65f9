#!/usr/bin/env bash
# Faults during installation, each made real under Wine: a target file held open by another
# program, a read-only target file, a disk that fills up midway, a destination the user may not
# write, and a log file locked by another program. Every fault must end with exit code 1603, the
# failure sentence as the last log line, a log line that names the cause and no partially written
# file; the locked log alone loses its lines while the installation goes on and succeeds.
#   faults.sh        (as root: it mounts a small tmpfs and runs Wine as a user of its own)
# The table (fault | exit code | cause in the log | partial file left) goes to stdout and to
# $BUILD_DIR/campaigns/faults.md.
#
# Why a user of its own: Wine running as root opens any file the kernel lets root open, so a
# read-only target is only refused to DeleteFileA (error 5); CreateFileA with CREATE_ALWAYS then
# truncates and rewrites it, and the run ends with 0. A non-root user owning the read-only file
# meets the same refusal Windows gives (error 5 from CreateFileA), and also gives the folder that
# user may not write.
set -euo pipefail
# Without the test environment the paths below would point at the root folder.
: "${SOURCE_DIR:?}" "${BUILD_DIR:?}" "${WINE_TEMPLATE:?}"
source "$SOURCE_DIR/tests/e2e/lib.sh"
# Start-menu links would otherwise be mirrored as .desktop files into the real home folder.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"

FAULT_USER=qvxtest
FAILURE_SENTENCE='Installation of Brenmoor has failed.'
SUCCESS_SENTENCE='Installation of Brenmoor has completed successfully.'
VERSION_DIR=Norvane/Norvane1.6.0003.0000.0035
LOG_NAME=NorvaneSetup$(date +%Y-%m).log

if [ "$(id -u)" -ne 0 ]; then
  echo "FAILED: the fault campaign mounts a tmpfs and switches users: run it as root"; exit 1
fi

new_prefix
TMPFS_DIR=$SCENARIO_DIR/tmpfs
USER_DIR=

# Everything the campaign set up goes, also when a check or a command fails halfway.
end_faults() {
  # Every step is tried, and a second signal does not cut the cleaning short.
  trap '' INT TERM
  set +e
  release_hold
  wineserver -k 2>/dev/null || true  # its handles below the tmpfs would keep it busy
  if mountpoint -q "$TMPFS_DIR"; then umount "$TMPFS_DIR" 2>/dev/null || umount -l "$TMPFS_DIR"; fi
  if [ -n "$USER_DIR" ]; then
    as_user wineserver -k 2>/dev/null || true
    rm -rf "$USER_DIR"
  fi
  end_prefix
}
trap end_faults EXIT
trap 'exit 1' INT TERM

# ---- Helpers ----

# Every file below a folder with its checksum ("md5  ./relative/path"), sorted.
checksums() {
  [ -d "$1" ] || return 0
  (cd "$1" && find . -type f -print0 | LC_ALL=C sort -z | xargs -0 -r md5sum)
}

# partial_files REFERENCE DIR : the files below DIR whose bytes are not those of the file of the
# same relative path in REFERENCE (a checksums record of a complete installation), or that a
# complete installation does not have; "none" when there is none.
partial_files() {
  local found
  found=$(comm -13 <(LC_ALL=C sort <<<"$1") <(checksums "$2" | LC_ALL=C sort) | cut -c35- | paste -sd ";")
  echo "${found:-none}"
}

# as_user COMMAND... : runs it as the campaign's user in that user's prefix, without a display.
as_user() {
  runuser -u "$FAULT_USER" -- env -u DISPLAY HOME="$USER_DIR" WINEPREFIX="$USER_DIR/prefix" \
    WINEDEBUG=-all WINEDLLOVERRIDES="$WINEDLLOVERRIDES" "$@"
}

# run_as_user SECONDS PROGRAM ARGS... : run_program for the campaign's user; sets EXIT_CODE.
run_as_user() {
  local seconds=$1; shift
  as_user wine 'C:\faults\runexit.exe' "$seconds" "$@" >"$USER_DIR/runexit.out" 2>/dev/null || true
  # The installer shares the console: a failed SetFileSecurity prints its text without a line
  # end, so runexit's line need not start a line.
  EXIT_CODE=$(sed -n 's/.*exit=//p' "$USER_DIR/runexit.out" | tr -d '\r' | tail -n 1)
}

# The first line of the log that matches the regular expression, or "none".
cause_in() {
  local line
  line=$(log_messages "$1" 2>/dev/null | grep -m 1 -E -- "$2" || true)
  echo "${line:-none}"
}

TABLE="| fault | exit code | cause in the log | partial file left |
|---|---|---|---|"
row() { TABLE+=$'\n'"| $1 | $2 | $3 | $4 |"; }

# expect_failure NAME LOG CAUSE-REGEX PARTIAL : the checks every fault must pass, and its row.
expect_failure() {
  local name=$1 log=$2 cause
  cause=$(cause_in "$log" "$3")
  check_eq "$name: exit code" 1603 "$EXIT_CODE"
  check_eq "$name: the failure sentence ends the log" "$FAILURE_SENTENCE" \
    "$(log_messages "$log" 2>/dev/null | outcome_line)"
  check "$name: a log line names the cause" test "$cause" != none
  check_eq "$name: no partially written file" none "$4"
  [ "$cause" != none ] || log_messages "$log" 2>/dev/null | tail -n 8 | sed 's/^/  log: /'
  row "$name" "$EXIT_CODE" "$cause" "$4"
}

pack_demo "$DRIVE_C/demo/NorvaneSetup.exe"
company=$DRIVE_C/Apps/QVX

# ---- A target file held open by another program without sharing ----
# A reinstallation over a complete installation while the version folder's main client is open:
# it cannot be moved aside for the new one, and the run is rolled back: every file as before.
run_program 120 'C:\demo\NorvaneSetup.exe' '-dC:\Apps' '-lC:\Logs'
check_eq "the installation the faults start from: exit code" 0 "$EXIT_CODE"
reference=$(checksums "$company")
rm -rf "$DRIVE_C/Logs"
if hold "C:\\Apps\\QVX\\${VERSION_DIR//\//\\}\\Quorvin.exe"; then
  run_program 120 'C:\demo\NorvaneSetup.exe' '-dC:\Apps' '-lC:\Logs'
  release_hold
  log=$DRIVE_C/Logs/$LOG_NAME
  expect_failure "target file held open without sharing" "$log" \
    '^Cannot create file C:\\Apps\\QVX\\Norvane\\Norvane[^\\]*\\Quorvin\.exe\. If any QVX program \(i\.e\.Norvane\) is running, please quit it first\.$' \
    "$(partial_files "$reference" "$company")"
  check "held file: the move aside was refused (sharing violation)" \
    grep -qxF "MoveFileExA failed for C:\\Apps\\QVX\\${VERSION_DIR//\//\\}\\Quorvin.exe with error 32." \
    <(log_messages "$log")
fi

# ---- A log file locked by another program without sharing ----
# The log loses its lines while it is locked; the installation itself goes on and succeeds.
rm -rf "$DRIVE_C/Apps" "$DRIVE_C/Logs"
mkdir -p "$DRIVE_C/Logs"
log=$DRIVE_C/Logs/$LOG_NAME
if hold "C:\\Logs\\$LOG_NAME"; then
  run_program 120 'C:\demo\NorvaneSetup.exe' '-dC:\Apps' '-lC:\Logs'
  release_hold
  lost="$(tr -cd '\n' <"$log" | wc -c) lines reached the file while it was locked"
  installed=$(partial_files "$reference" "$company")
  check_eq "locked log: exit code" 0 "$EXIT_CODE"
  check_eq "locked log: no line reached the locked file" 0 "$(stat -c %s "$log")"
  check_eq "locked log: the installation is complete" "$(cut -c35- <<<"$reference")" "$(tree_of "$company")"
  check_eq "locked log: every file whole" none "$installed"
  # Once the lock is gone the next run logs again.
  run_program 120 'C:\demo\NorvaneSetup.exe' '-dC:\Apps' '-lC:\Logs'
  check_eq "locked log, released: the next run logs its success sentence" "$SUCCESS_SENTENCE" \
    "$(log_messages "$log" | outcome_line)"
  row "log file locked without sharing" "$EXIT_CODE" "$lost" "$installed"
fi

# ---- A disk that fills up midway ----
# A 600 KiB tmpfs as drive T:, and a product with a 1 MiB file placed after some others: the
# write stops at the offset where the disk was full, and the half-written file is removed.
big=$SCENARIO_DIR/big
cp -r "$DEMO/product" "$big"
{ yes 'QVX fills the disk' || true; } | head -c 1048576 >"$big/BrenmoorEHR/resources/big.dat"
pack_product "$DRIVE_C/demo/BigSetup.exe" "$big" "$DEMO/appConfig.xml"
run_program 120 'C:\demo\BigSetup.exe' '-dC:\Ref' '-lC:\RefLogs'
check_eq "disk full: the reference installation on drive C: succeeds" 0 "$EXIT_CODE"
big_reference=$(checksums "$DRIVE_C/Ref/QVX")
mkdir -p "$TMPFS_DIR"
mount -t tmpfs -o size=600k tmpfs "$TMPFS_DIR"
ln -sfn "$TMPFS_DIR" "$WINEPREFIX/dosdevices/t:"
run_program 120 'C:\demo\BigSetup.exe' '-dT:\' '-lC:\FullLogs'
log=$(echo "$DRIVE_C"/FullLogs/BigSetup*.log)
expect_failure "disk full midway (600 KiB tmpfs as T:)" "$log" \
  '^Failed to write file T:\\QVX\\Norvane\\Norvane[^\\]*\\BrenmoorEHR\\resources\\big\.dat at offset: [1-9][0-9]*\.$' \
  "$(partial_files "$big_reference" "$TMPFS_DIR/QVX")"
offset=$(log_messages "$log" | sed -n 's/^Failed to write file .*big\.dat at offset: \([0-9]*\)\.$/\1/p' || true)
check "disk full: the write stopped midway (offset ${offset:-none} of 1048576)" \
  test "${offset:-0}" -gt 0 -a "${offset:-0}" -lt 1048576
check "disk full: the system's code is logged (112, the disk is full)" \
  grep -qE '^WriteFile failed for T:.*big\.dat with error 112\.$' <(log_messages "$log")
check "disk full: the half-written file is gone" test ! -e "$TMPFS_DIR/QVX/$VERSION_DIR/BrenmoorEHR/resources/big.dat"
check_eq "disk full: the fresh installation is rolled back, nothing is left on T:" "" \
  "$(ls -A "$TMPFS_DIR")"
wineserver -k 2>/dev/null || true
umount "$TMPFS_DIR"
wineserver -p

# ---- A prefix of a non-root user ----
id -u "$FAULT_USER" >/dev/null 2>&1 ||
  useradd --system --no-create-home --shell /usr/sbin/nologin "$FAULT_USER" 2>/dev/null ||
  id -u "$FAULT_USER" >/dev/null  # another run may have created it meanwhile
USER_DIR=$(mktemp -d "${TMPDIR:-/tmp}/faults-user.XXXXXX")
cp -a "$WINE_TEMPLATE" "$USER_DIR/prefix"
# The prefix names its server's folder, which belongs to root: the user's server makes its own.
rm -f "$USER_DIR/prefix/wineserver"
user_c=$USER_DIR/prefix/drive_c
# A user of the template has no profile: without one the shell names no special folder at all
# (SHGetSpecialFolderLocation fails even for the all-users Start menu).
cp -a "$user_c/users/root" "$user_c/users/$FAULT_USER"
mkdir -p "$user_c/faults"
cp "$DRIVE_C/demo/NorvaneSetup.exe" "$RUNEXIT" "$user_c/faults/"
# Wine refuses a prefix that the user does not own.
chown -R "$FAULT_USER": "$USER_DIR"
chmod 755 "$USER_DIR"
as_user wineserver -p

# ---- A read-only target file ----
run_as_user 120 'C:\faults\NorvaneSetup.exe' '-dC:\Apps' '-lC:\Logs'
check_eq "read-only target: the user's first installation succeeds" 0 "$EXIT_CODE"
check "read-only target: the user's first installation has its Start-menu links" \
  test -f "$user_c/$START_MENU/QVX/Brenmoor.lnk"
user_company=$user_c/Apps/QVX
user_reference=$(checksums "$user_company")
readonly_file=$user_company/$VERSION_DIR/Updrift.exe
chmod a-w "$readonly_file"  # Wine shows a file without write bits as read-only
rm -rf "$user_c/Logs"
run_as_user 120 'C:\faults\NorvaneSetup.exe' '-dC:\Apps' '-lC:\Logs'
log=$user_c/Logs/$LOG_NAME
expect_failure "read-only target file (non-root user)" "$log" \
  '^Cannot create file C:\\Apps\\QVX\\Norvane\\Norvane[^\\]*\\Updrift\.exe\. If any QVX program \(i\.e\.Norvane\) is running, please quit it first\.$' \
  "$(partial_files "$user_reference" "$user_company")"
check "read-only target: the delete was refused first" \
  grep -qxF "Delete file C:\\Apps\\QVX\\${VERSION_DIR//\//\\}\\Updrift.exe failed." <(log_messages "$log")

# ---- A destination the user may not write ----
# C:\Locked belongs to root: first its company folder cannot be created, then an existing company
# folder of root's cannot be written.
mkdir -p "$user_c/Locked"
chmod 755 "$user_c/Locked"
run_as_user 120 'C:\faults\NorvaneSetup.exe' '-dC:\Locked' '-lC:\LockedLogs'
log=$user_c/LockedLogs/$LOG_NAME
expect_failure "destination the user may not create (non-root user)" "$log" \
  '^Failed to create directory C:\\Locked\\QVX\\ with reason: ' \
  "$(partial_files "" "$user_c/Locked")"

mkdir -p "$user_c/Locked/QVX"
chmod 755 "$user_c/Locked/QVX"
rm -rf "$user_c/LockedLogs"
run_as_user 120 'C:\faults\NorvaneSetup.exe' '-dC:\Locked' '-lC:\LockedLogs'
expect_failure "destination folder the user may not write (non-root user)" "$log" \
  '^Cannot create file C:\\Locked\\QVX\\AppInfo\.xml\. If any QVX program \(i\.e\.Norvane\) is running, please quit it first\.$' \
  "$(partial_files "" "$user_c/Locked/QVX")"

mkdir -p "$BUILD_DIR/campaigns"
echo "$TABLE" | tee "$BUILD_DIR/campaigns/faults.md"
finish
