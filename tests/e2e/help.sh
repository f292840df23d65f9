#!/usr/bin/env bash
# -? shows the option summary in a box captioned with the executable's name and does nothing
# else: no log folder, no log file, exit code 0, whatever other options come with it.
source "$(dirname "$0")/lib.sh"
new_prefix

expected=$SCENARIO_DIR/expected.txt
printf '%s' $'-cCampus.\n-hHostlist.\n-pPortList.\n-aAutoUpdateList.\n-dTargetDir.\n-lLoglocation.  \n-wNeedSilentUninstall. \n-u  InvokedByAutoUpdate=TRUE  \n-v VistA is Enabled.\n-t NeedCreateShortcutOnDesktop\n-bWebHostList.\n-r  NeedInstallUVNC.' >"$expected"

cp "$SETUP_EXE" "$DRIVE_C/Setup.exe"
before=$(list_drive)
wine "$BUILD_DIR/tests/msgbox_reader.exe" Setup 120 'C:\box.txt' >/dev/null 2>&1 &
reader=$!
run_program 150 'C:\Setup.exe' -dC:\\Apps -lC:\\Logs -t -? -hHOST
wait "$reader" && found=yes || found=no

check_eq "the help box appeared" yes "$found"
check_eq "exit code after the help box" 0 "$EXIT_CODE"
check "the box text is the option summary, byte for byte" cmp -s "$expected" "$DRIVE_C/box.txt"
rm -f "$DRIVE_C/box.txt"
check_eq "nothing was written (no log folder, no log file, no target)" "$before" "$(list_drive)"
finish
