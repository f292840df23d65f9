# Shared pieces of the end-to-end scenarios: a prefix copy of the scenario's own, running a
# Win32 program in it with its full exit code, and checks that print what went wrong.
# Environment (set by ctest): WINE_TEMPLATE, BUILD_DIR, SOURCE_DIR.
set -euo pipefail

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
SETUP_EXE=$BUILD_DIR/Installer/Setup.exe
RUNEXIT=$BUILD_DIR/tests/runexit.exe
FAILURES=0

# Makes WINEPREFIX a fresh copy of the template, removed when the scenario ends.
new_prefix() {
  SCENARIO_DIR=$(mktemp -d "${TMPDIR:-/tmp}/e2e.XXXXXX")
  export WINEPREFIX=$SCENARIO_DIR/prefix
  cp -a "$WINE_TEMPLATE" "$WINEPREFIX"
  DRIVE_C=$WINEPREFIX/drive_c
  trap 'end_prefix' EXIT
  wineserver -p  # keep the server up between the scenario's programs
}

end_prefix() {
  wineserver -k 2>/dev/null || true
  rm -rf "$SCENARIO_DIR"
}

# run_program SECONDS PROGRAM ARGS... : runs it in the prefix; sets EXIT_CODE to the full code
# ("timeout" when it did not end in time).
run_program() {
  local seconds=$1; shift
  local out=$SCENARIO_DIR/runexit.out
  wine "$RUNEXIT" "$seconds" "$@" >"$out" 2>/dev/null || true
  EXIT_CODE=$(sed -n "s/.*exit=\([0-9a-z-]*\).*/\1/p" "$out" | tail -n 1)
}

# A Windows path (C:\...) of a file below drive_c.
winpath() { echo "C:\\$(realpath --relative-to="$DRIVE_C" "$1" | tr '/' '\\')"; }

check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; FAILURES=$((FAILURES + 1)); fi
}
check_eq() {  # check_eq DESCRIPTION EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then echo "ok: $1"; else
    echo "FAILED: $1"; echo "  expected: $2"; echo "  actual:   $3"; FAILURES=$((FAILURES + 1)); fi
}
file_has_line() { tr -d '\r' <"$1" | grep -qF -- "$2"; }

# Every file below drive_c, for before/after comparisons (the log folder is left out by callers).
list_drive() { (cd "$DRIVE_C" && find . -path ./windows -prune -o -print | LC_ALL=C sort); }

finish() {
  if [ "$FAILURES" -ne 0 ]; then echo "$FAILURES check(s) failed"; exit 1; fi
  echo "all checks passed"
}

PACKER_EXE=$BUILD_DIR/tools/packer/packer.exe
DEMO=$SOURCE_DIR/examples/demo

# pack_demo OUT.exe [APPCONFIG] : the demo product (with another appConfig when given) packed
# into a finished installer by the Win32 packing tool, which replaces the payload resource of a
# copy of Setup.exe.
pack_demo() {
  mkdir -p "$DRIVE_C/pack" "$(dirname "$1")"
  rm -rf "$DRIVE_C/pack/product"
  cp -r "$DEMO/product" "$DRIVE_C/pack/product"
  cp "$DEMO/product.list" "$SETUP_EXE" "$DRIVE_C/pack/"
  cp "${2:-$DEMO/appConfig.xml}" "$DRIVE_C/pack/appConfig.xml"
  wine "$PACKER_EXE" --name Norvane --version 1.6.0003.0000.0035 \
    --config 'C:\pack\appConfig.xml' --product 'C:\pack\product' --list 'C:\pack\product.list' \
    --payload 'C:\pack\payload.bin' --installer 'C:\pack\Setup.exe' --output "$(winpath_new "$1")" \
    >"$SCENARIO_DIR/pack.log" 2>&1 || { cat "$SCENARIO_DIR/pack.log"; return 1; }
}

# The Windows path of a file below drive_c that need not exist yet.
winpath_new() { echo "C:\\$(realpath -m --relative-to="$DRIVE_C" "$1" | tr '/' '\\')"; }

# The lines of a log file without their 20-character time stamps.
log_messages() { tr -d '\r' <"$1" | cut -c21-; }

# log_is_well_formed LOG [APPCONFIG]: every line has its time stamp and CR LF; the traced
# configuration, when given, appears byte for byte.
log_is_well_formed() { python3 "$SOURCE_DIR/tests/e2e/logcheck.py" "$@"; }

# The paths that list_drive shows now and did not show in |before| ($1).
added_paths() { comm -13 <(echo "$1") <(list_drive); }

# pack_product OUT.exe PRODUCT_DIR APPCONFIG [VERSION] : any product folder (every file, sorted).
pack_product() {
  local out=$1 product=$2 config=$3 version=${4:-1.6.0003.0000.0035}
  mkdir -p "$DRIVE_C/pack" "$(dirname "$out")"
  rm -rf "$DRIVE_C/pack/custom"
  cp -r "$product" "$DRIVE_C/pack/custom"
  cp "$SETUP_EXE" "$DRIVE_C/pack/"
  cp "$config" "$DRIVE_C/pack/custom.xml"
  wine "$PACKER_EXE" --name Norvane --version "$version" --config 'C:\pack\custom.xml' \
    --product 'C:\pack\custom' --payload 'C:\pack\custom.bin' --installer 'C:\pack\Setup.exe' \
    --output "$(winpath_new "$out")" >"$SCENARIO_DIR/pack.log" 2>&1 || { cat "$SCENARIO_DIR/pack.log"; return 1; }
}

# reg_value KEY NAME : a value as the 32-bit reg.exe shows it (the installer's view), or "".
reg_value() {
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}

# The files below a folder, relative, sorted.
tree_of() { (cd "$1" 2>/dev/null && find . -type f | LC_ALL=C sort); }

START_MENU=ProgramData/Microsoft/Windows/Start\ Menu/Programs
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
