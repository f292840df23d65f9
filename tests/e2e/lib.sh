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
  # The first program of a prefix starts Wine's own services and desktop first, which on a busy
  # machine takes long enough to eat a scenario's time limit: that happens here, untimed, with a
  # program that has no console (a console program leaves console settings in the registry, which
  # the before-and-after comparisons of the machine would see).
  wine rundll32.exe >/dev/null 2>&1 || true
}

end_prefix() {
  wineserver -k 2>/dev/null || true
  rm -rf "$SCENARIO_DIR"
}

# The full exit code that runexit wrote into FILE ("timeout" when its program did not end in time).
exit_code_in() { sed -n "s/.*exit=\([0-9a-z-]*\).*/\1/p" "$1" | tail -n 1; }

# run_program SECONDS PROGRAM ARGS... : runs it in the prefix; sets EXIT_CODE to the full code
# ("timeout" when it did not end in time).
run_program() {
  local seconds=$1; shift
  local out=$SCENARIO_DIR/runexit.out
  wine "$RUNEXIT" "$seconds" "$@" >"$out" 2>/dev/null || true
  EXIT_CODE=$(exit_code_in "$out")
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

# demo_with_data DIR COUNT FOLDERS : the demo product copied to DIR with COUNT more files of 4 KiB
# of random bytes below its Data folder, spread over FOLDERS folders: a product whose
# installation lasts long enough to be met midway.
demo_with_data() {
  cp -r "$DEMO/product" "$1"
  python3 - "$1/Data" "$2" "$3" <<'PY'
import os, sys
root, count, folders = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
for i in range(count):
    folder = os.path.join(root, 'set%02d' % (i % folders))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, 'f%04d.bin' % i), 'wb') as f:
        f.write(os.urandom(4096))
PY
}

# The Windows path of a file below drive_c that need not exist yet.
winpath_new() { echo "C:\\$(realpath -m --relative-to="$DRIVE_C" "$1" | tr '/' '\\')"; }

# The lines of a log file without their 20-character time stamps.
log_messages() { tr -d '\r' <"$1" | cut -c21-; }

# log_is_well_formed LOG [APPCONFIG...]: every line has its time stamp and CR LF; each traced
# configuration given appears byte for byte.
log_is_well_formed() { python3 "$SOURCE_DIR/tests/e2e/logcheck.py" "$@"; }

# The paths that list_drive shows now and did not show in |before| ($1).
added_paths() { comm -13 <(echo "$1") <(list_drive); }

# run_attached_payload PAYLOAD ARGS... : PAYLOAD attached unchecked (the packing tool would refuse
# it) to the packed demo installer as C:\demo\BadSetup.exe, run with ARGS and -lC:\Logs into a
# fresh log folder. Sets BEFORE (the drive listing before the run), EXIT_CODE and MESSAGES (the log's
# lines without time stamps); false when the payload cannot be attached.
run_attached_payload() {
  cp "$1" "$DRIVE_C/demo/bad.bin"
  shift
  wine "$BUILD_DIR/tests/attach_payload.exe" 'C:\pack\Setup.exe' 'C:\demo\BadSetup.exe' \
    'C:\demo\bad.bin' >/dev/null 2>&1 || return 1
  rm -rf "$DRIVE_C/Logs"
  BEFORE=$(list_drive)
  run_program 60 'C:\demo\BadSetup.exe' "$@" '-lC:\Logs'
  MESSAGES=$(log_messages "$DRIVE_C"/Logs/BadSetup*.log 2>/dev/null || true)
}

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

# reg_typed KEY NAME : "TYPE DATA" of a value as the 32-bit reg.exe shows it (a REG_DWORD in
# hexadecimal: "REG_DWORD 0x1"), or "".
reg_typed() {
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *\(REG_[A-Z_]*\) *\(.*\)$/\1 \2/p"
}

# The EstimatedSize of an Uninstall entry for |bytes| ($1) as reg_typed shows it: KiB, rounded up.
estimated_size() { printf 'REG_DWORD 0x%x' $(( ($1 + 1023) / 1024 )); }

# link_field LINK LABEL : one field of a .lnk file as lnkinfo reads it ("Local path" is the
# target, "Command line arguments" the arguments).
link_field() {
  lnkinfo "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^\s*$2\s*:\s*//p" | head -n 1
}
link_target() { link_field "$1" 'Local path'; }
link_arguments() { link_field "$1" 'Command line arguments'; }

# The files below a folder, relative, sorted.
tree_of() { (cd "$1" 2>/dev/null && find . -type f | LC_ALL=C sort); }

START_MENU=ProgramData/Microsoft/Windows/Start\ Menu/Programs
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

# ---- The setup wizard, driven under Xvfb by tests/tools/WizardDriver.cpp ----
DRIVER_EXE=$BUILD_DIR/tests/wizard_driver.exe
SHOTS_DIR=$BUILD_DIR/wizard-screenshots

# need_display "$@" : reruns the scenario inside a virtual display of its own, even when the test
# run has one: scenarios run side by side, and on a shared screen one scenario's wizard would
# lie over the other's in its screenshots. Called before new_prefix (a server started without a
# display breaks the GUI programs of its prefix). The search for a free display starts at a
# random number, so that two scenarios starting together do not race for the same one.
need_display() {
  [ -n "${OWN_DISPLAY:-}" ] && return
  OWN_DISPLAY=1 exec xvfb-run -a -n $((100 + RANDOM % 800)) -s '-screen 0 1024x768x24' \
    bash "$0" "$@"
}

# drv ARGS... : one driver command; what it reads on stdout, byte for byte; its complaint on
# stderr when it fails.
drv() {
  local rc=0
  wine "$DRIVER_EXE" "$@" >"$SCENARIO_DIR/drv.out" 2>"$SCENARIO_DIR/drv.err" || rc=$?
  cat "$SCENARIO_DIR/drv.out"
  [ "$rc" -eq 0 ] || sed 's/^/  /' "$SCENARIO_DIR/drv.err" >&2
  return "$rc"
}
# wiz ARGS... : a driver command on the wizard frame, captioned $WIZARD.
wiz() { drv -w "$WIZARD" "$@"; }

# act DESCRIPTION COMMAND... : a step of the user's; silent when it works, a failure otherwise
# (the scenario goes on, so that the later checks show what the failed step left behind).
act() {
  local what=$1; shift
  if ! "$@" >/dev/null; then echo "FAILED: $what"; FAILURES=$((FAILURES + 1)); fi
}

# start_setup SECONDS PROGRAM ARGS... : starts the installer in the background through runexit,
# which ends it after SECONDS.
start_setup() {
  local seconds=$1; shift
  SETUP_OUT=$SCENARIO_DIR/setup.out
  rm -f "$SETUP_OUT"
  wine "$RUNEXIT" "$seconds" "$@" >"$SETUP_OUT" 2>/dev/null &
  SETUP_PID=$!
}

# wait_setup SECONDS : waits for the installer started last; sets EXIT_CODE to its full exit
# code. When it is still running after SECONDS, its windows are listed (a box nobody expected),
# the prefix's programs are stopped and EXIT_CODE is "still running".
wait_setup() {
  local deadline=$((SECONDS + $1))
  while kill -0 "$SETUP_PID" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.1; done
  if kill -0 "$SETUP_PID" 2>/dev/null; then
    echo "  the installer is still running; its windows:"; drv windows | sed 's/^/    /'
    wineserver -k 2>/dev/null || true
    wait "$SETUP_PID" 2>/dev/null || true
    wineserver -p
    EXIT_CODE="still running"
    return
  fi
  wait "$SETUP_PID" 2>/dev/null || true
  EXIT_CODE=$(exit_code_in "$SETUP_OUT")
}

# expect_wizard_success LABEL : after Finish of a wizard run that must succeed: the demo's success
# box (closed with OK), then the end of the installer with exit code 0. LABEL starts both
# checks' descriptions.
expect_wizard_success() {
  check_eq "$1: the success box" "Installation of Brenmoor has completed successfully." \
    "$(drv msgbox-text-and-ok Brenmoor 120)"
  wait_setup 30
  check_eq "$1: exit code" 0 "$EXIT_CODE"
}

# The page the wizard shows, named by its title (the host page has none: by its first text).
page_name() {
  local title
  if title=$(wiz text page:1018 2>/dev/null); then
    case "$title" in
      "Welcome to the "*) echo welcome ;;
      "License agreement") echo licence ;;
      "Information") echo information ;;
      "Select Destination Location") echo destination ;;
      "Ready to Install") echo ready ;;
      *) echo "unknown page ($title)" ;;
    esac
  elif [[ "$(wiz text page:2 2>/dev/null)" == "Please enter the hosts"* ]]; then
    echo host
  else
    echo "no page"
  fi
}

# next_until PAGE : Next until PAGE shows, accepting the licence on the way.
next_until() {
  local steps=0
  while [ "$(page_name)" != "$1" ] && [ $steps -lt 6 ]; do
    [ "$(page_name)" == licence ] && wiz click 1011 >/dev/null
    wiz click 12324 >/dev/null || return 1
    steps=$((steps + 1))
  done
  [ "$(page_name)" == "$1" ]
}

# The shown page and the states of Back, Next and Finish, as one line of a table.
wizard_state() {
  echo "$(page_name) back=$(wiz enabled 12323) next=$(wiz enabled 12324) finish=$(wiz enabled 12325)"
}

# screenshot NAME [CAPTION] : the window (the wizard by default) as SHOTS_DIR/NAME.png.
screenshot() {
  local caption=${2:-$WIZARD} geometry
  mkdir -p "$SHOTS_DIR"
  sleep 0.3  # the page has been shown; let the X server finish drawing it
  geometry=$(drv -w "$caption" geometry) &&
    import -window root -crop "$geometry" +repage -strip "$SHOTS_DIR/$1.png" ||
    { echo "FAILED: screenshot $1"; FAILURES=$((FAILURES + 1)); }
}

# The installation's traces, for comparing two runs: every file below the company folder with
# its checksum, the Start-menu and desktop links as lnkinfo reads them (target, arguments, icon),
# and the Uninstall entry's values.
installation_record() {
  local company=$1 app=$2 link
  (cd "$company" && find . -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum)
  for link in "$DRIVE_C/$START_MENU/QVX"/*.lnk "$DRIVE_C"/users/*/Desktop/*.lnk; do
    [ -e "$link" ] || continue
    echo "link ${link#"$DRIVE_C"/}"
    lnkinfo "$link" 2>/dev/null | tr -d '\r' |
      grep -E '^\s*(Local path|Command line arguments|Icon location|Working directory)\s*:' || true
  done
  wine reg query "$UNINSTALL_KEY\\${app}_new" 2>/dev/null | tr -d '\r' | grep REG_ || true
}

# ---- The machine before and after a run, for the rollback ----

# machine_state FILE [EXCLUDED...] : the drive (folders, files with their bytes' MD5, links) and
# the registry (HKLM and HKCU, both views) into FILE, EXCLUDED folders of drive_c left out. The
# Wine server is stopped for it, since only then are the registry files current, and started
# again; nothing else may run in the prefix meanwhile.
machine_state() {
  local out=$1; shift
  wineserver -k 2>/dev/null || true
  python3 "$SOURCE_DIR/tests/e2e/machine_state.py" "$WINEPREFIX" "$@" >"$out"
  wineserver -p
}

# check_same_state DESCRIPTION WANT-FILE GOT-FILE : two states of machine_state are the same;
# otherwise the first lines that differ are shown.
check_same_state() {
  if cmp -s "$2" "$3"; then echo "ok: $1"; else
    echo "FAILED: $1"; diff "$2" "$3" | grep '^[<>]' | head -n 20 | sed 's/^/  /'
    FAILURES=$((FAILURES + 1)); fi
}

# check_machine DESCRIPTION BEFORE-FILE [EXCLUDED...] : the machine now is the one machine_state
# wrote into BEFORE-FILE.
check_machine() {
  local what=$1 before=$2; shift 2
  machine_state "$SCENARIO_DIR/machine.now" "$@"
  check_same_state "$what" "$before" "$SCENARIO_DIR/machine.now"
}

# ---- Another program that holds a file open (tests/tools/HoldFile.cpp) ----
HOLD_EXE=$BUILD_DIR/tests/hold_file.exe
HOLD_PID=

# hold WINPATH : another program holds the file open without sharing until release_hold (it is
# created empty when missing); a failure to hold it counts as a failed check.
hold() {
  rm -f "$DRIVE_C/hold.stop" "$SCENARIO_DIR/hold.out"
  wine "$HOLD_EXE" "$1" 300 'C:\hold.stop' >"$SCENARIO_DIR/hold.out" 2>/dev/null &
  HOLD_PID=$!
  local i
  for i in $(seq 100); do
    grep -q '^held' "$SCENARIO_DIR/hold.out" 2>/dev/null && return 0
    kill -0 "$HOLD_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "FAILED: hold_file could not hold $1: $(tr -d '\r' <"$SCENARIO_DIR/hold.out")"
  FAILURES=$((FAILURES + 1))
  return 1
}
release_hold() {
  [ -n "$HOLD_PID" ] || return 0
  touch "$DRIVE_C/hold.stop"
  wait "$HOLD_PID" 2>/dev/null || true
  rm -f "$DRIVE_C/hold.stop"
  HOLD_PID=
}

# The last line of a log's messages before the run's closing "The installer ends with exit code
# <n>." line: the outcome sentence.
outcome_line() { grep -v '^The installer ends with exit code ' | tail -n 1; }
