#!/usr/bin/env bash
# Earlier Windows Installer installations, for real: small packages built with wixl from
# OldProduct.wxs are installed with Wine's msiexec, then the installer's step (through
# old_version_driver.exe) removes exactly the ones that are earlier releases of the product and
# leaves the rest. A decoy msiexec.exe next to the driver shows that the system's own msiexec
# runs, never one lying beside the installer.
# msiexec /qb shows its progress window, so the scenario needs a display.
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s '-screen 0 1024x768x24' bash "$0" "$@"; fi
source "$SOURCE_DIR/tests/e2e/lib.sh"
FIXTURES=$SOURCE_DIR/tests/fixtures/msi
UNINSTALL='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

new_prefix
PROGRAM_FILES="$DRIVE_C/Program Files (x86)"
[ -d "$PROGRAM_FILES" ] || PROGRAM_FILES="$DRIVE_C/Program Files"  # a 32-bit prefix
mkdir -p "$DRIVE_C/msi"

# build_and_install FILE "PRODUCT NAME" PRODUCTCODE FOLDER
build_and_install() {
  local guid_tail=${3:25:12}
  wixl -a x86 -D "ProductName=$2" -D "ProductCode=$3" \
    -D "UpgradeCode={AAAAAAAA-0000-4000-8000-$guid_tail}" \
    -D "ComponentGuid={CCCCCCCC-0000-4000-8000-$guid_tail}" -D "FolderName=$4" \
    -o "$DRIVE_C/msi/$1" "$FIXTURES/OldProduct.wxs" >"$SCENARIO_DIR/wixl.log" 2>&1 ||
    { cat "$SCENARIO_DIR/wixl.log"; return 1; }
  run_program 120 msiexec /i "C:\\msi\\$1" /qn
  check_eq "package '$2' installs" 0 "$EXIT_CODE"
  check "package '$2' is registered" has_entry "$3"
  check "package '$2' placed its file" test -f "$PROGRAM_FILES/$4/product.txt"
}
has_entry() { wine reg query "$UNINSTALL\\$1" /v DisplayName >/dev/null 2>&1; }
no_entry() { ! has_entry "$1"; }

NORVANE='{5B0C6D1E-2F3A-4B4C-8D5E-6F7A8B9C0D1E}'
# A second earlier release whose key sorts right after the first: removing the first while
# enumerating would shift this one onto the index just read.
NORVANE_OLDER='{5B0C6D1E-2F3A-4B4C-8D5E-6F7A8B9C0D1F}'
LOWER='{5B0C6D1E-2F3A-4B4C-8D5E-000000000002}'
SUFFIXED='{5B0C6D1E-2F3A-4B4C-8D5E-000000000003}'
TALLYSET_BLANK='{5B0C6D1E-2F3A-4B4C-8D5E-000000000004}'
TALLYSET_PLAIN='{5B0C6D1E-2F3A-4B4C-8D5E-000000000005}'
build_and_install norvane.msi 'Norvane' "$NORVANE" NorvaneOld
build_and_install norvane-older.msi 'Norvane' "$NORVANE_OLDER" NorvaneOlder
build_and_install lower.msi 'norvane' "$LOWER" NorvaneLower
build_and_install suffixed.msi 'Norvane 2.0' "$SUFFIXED" NorvaneSuffixed
build_and_install tallyset-blank.msi 'Tallyset Admin' "$TALLYSET_BLANK" TallysetBlank
build_and_install tallyset-plain.msi 'TallysetAdmin' "$TALLYSET_PLAIN" TallysetPlain
# An entry of this installer's own, with the product's display name: never handed to msiexec
# (which would stop at an unknown product and keep the run waiting).
wine reg add "$UNINSTALL\\Norvane_new" /v DisplayName /t REG_SZ /d Norvane /f >/dev/null 2>&1
check "the installer's own entry is there" has_entry Norvane_new

# The driver in a folder of its own, with a decoy msiexec.exe beside it that records any start.
mkdir -p "$DRIVE_C/drv"
cp "$BUILD_DIR/tests/old_version_driver.exe" "$DRIVE_C/drv/"
cp "$BUILD_DIR/tests/UltraVNC_1_2_17_X86_Setup.exe" "$DRIVE_C/drv/msiexec.exe"

run_program 300 'C:\drv\old_version_driver.exe' Norvane 'C:\Logs'
check_eq "the step returns once the removal has ended" 0 "$EXIT_CODE"
check "the Norvane package's entry is gone" no_entry "$NORVANE"
check "the Norvane package's file is gone" test ! -e "$PROGRAM_FILES/NorvaneOld/product.txt"
check "the second Norvane package's entry is gone too" no_entry "$NORVANE_OLDER"
check "the second Norvane package's file is gone too" test ! -e "$PROGRAM_FILES/NorvaneOlder/product.txt"
check "a display name in another case stays" has_entry "$LOWER"
check "its file stays" test -f "$PROGRAM_FILES/NorvaneLower/product.txt"
check "a display name with a suffix stays" has_entry "$SUFFIXED"
check "its file stays" test -f "$PROGRAM_FILES/NorvaneSuffixed/product.txt"
check "the installer's own entry stays" has_entry Norvane_new
check "the Tallyset packages stay" has_entry "$TALLYSET_BLANK"
check "the decoy msiexec.exe beside the driver never ran" test ! -e "$DRIVE_C/drv/FakeSetupRecord.txt"
log=$(ls "$DRIVE_C"/Logs/old_version_driver*.log)
check_eq "the trace: the step's enter and leave lines and no report between them" \
  "Enter function ProcessOldVersion().
Leave function ProcessOldVersion()." "$(log_messages "$log")"

# TallysetAdmin was packaged under the display name "Tallyset Admin".
rm -f "$log"
run_program 300 'C:\drv\old_version_driver.exe' TallysetAdmin 'C:\Logs'
check_eq "TallysetAdmin: the step returns" 0 "$EXIT_CODE"
check "TallysetAdmin: the 'Tallyset Admin' package's entry is gone" no_entry "$TALLYSET_BLANK"
check "TallysetAdmin: its file is gone" test ! -e "$PROGRAM_FILES/TallysetBlank/product.txt"
check "TallysetAdmin: the package named 'TallysetAdmin' stays" has_entry "$TALLYSET_PLAIN"
check "TallysetAdmin: its file stays" test -f "$PROGRAM_FILES/TallysetPlain/product.txt"
check "TallysetAdmin: the other packages stay" has_entry "$LOWER"
finish
