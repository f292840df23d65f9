#!/usr/bin/env bash
# Unattended runs that fail after they have changed the machine leave it as they found it, their
# log aside: a fresh installation that fails midway, an upgrade over an older version that fails
# after the shared copies were refreshed, and a reinstallation from a repacked package that fails.
# Each compares the whole drive (folders, files with their bytes) and the registry (HKLM and
# HKCU, both views) before and after the run.
source "$(dirname "$0")/lib.sh"
new_prefix

company=$DRIVE_C/Apps/QVX
version_dir=$company/Norvane/Norvane1.6.0003.0000.0035
BEFORE=$SCENARIO_DIR/machine.before

# The log of the installer C:\demo\NAME.exe.
log_of() { echo "$DRIVE_C/Logs/$1$(date +%Y-%m).log"; }

# expect_rolled_back LABEL NAME CAUSE : the run of C:\demo\NAME.exe ended with 1603; its log
# names CAUSE (a fixed text), then the rollback's summary with nothing left undone, then the
# failure sentence; and the machine is the one in BEFORE, the log folder aside.
expect_rolled_back() {
  local messages
  messages=$(log_messages "$(log_of "$2")" 2>/dev/null || true)
  check_eq "$1: exit code" 1603 "$EXIT_CODE"
  check "$1: the log names the cause" grep -qF -- "$3" <<<"$messages"
  local before_outcome
  before_outcome=$(grep -v '^The installer ends with exit code ' <<<"$messages" | tail -n 2 | head -n 1)
  check "$1: the rollback undid every change ($before_outcome)" \
    grep -qxE 'Rollback of this run finished: [1-9][0-9]* changes undone, 0 could not be undone\.' \
    <<<"$before_outcome"
  check_eq "$1: then the failure sentence ends the log" "Installation of Brenmoor has failed." \
    "$(outcome_line <<<"$messages")"
  check_machine "$1: the machine as it was before the run, the log aside" "$BEFORE" Logs
}

# written_before_cause NAME CAUSE : how many files the run wrote before the line CAUSE.
written_before_cause() {
  log_messages "$(log_of "$1")" | sed "/$2/q" | grep -c '^Leave function CreateDirOfFile()\.$' || true
}

# ---- A fresh installation that fails midway ----
# The last entry's path is longer than Windows allows below C:\Apps: every file before it is
# written, then the run fails.
deep=$SCENARIO_DIR/deep
cp -r "$DEMO/product" "$deep"
long_folder=$deep/zz-deep/$(printf 'd%.0s' $(seq 120))
mkdir -p "$long_folder"
echo "beyond the limit" >"$long_folder/$(printf 'f%.0s' $(seq 100)).txt"
pack_product "$DRIVE_C/demo/DeepSetup.exe" "$deep" "$DEMO/appConfig.xml"
machine_state "$BEFORE" Logs
run_program 120 'C:\demo\DeepSetup.exe' '-dC:\Apps' -t '-lC:\Logs'
expect_rolled_back "fresh installation" DeepSetup "characters long, more than the 259 Windows allows"
check "fresh installation: it had written files ($(written_before_cause DeepSetup 'characters long')) and made the Start-menu folder" \
  test "$(written_before_cause DeepSetup 'characters long')" -gt 5 -a \
  -n "$(log_messages "$(log_of DeepSetup)" | grep -F "MyCreateDirectory() with parameter str is C:\\ProgramData")"
check "fresh installation: no Start-menu folder" test ! -e "$DRIVE_C/$START_MENU/QVX"
check_eq "fresh installation: no Uninstall entry" "" "$(reg_value "$UNINSTALL_KEY\\Norvane_new" DisplayName)"

# ---- An upgrade that fails after the shared copies were refreshed ----
# zzTail.exe goes to the company folder and comes last in the archive; another program holds the
# older version's copy of it, so the upgrade fails after it replaced the main client copy one level
# up, AppInfo.xml (new host values) and the seed, and made its own version folder.
tail_config=$SCENARIO_DIR/tail.xml
python3 - "$DEMO/appConfig.xml" "$tail_config" <<'PY'
import sys
text = open(sys.argv[1], encoding='utf-8').read()
tail = '  <exeInfo>\n    <name>zzTail.exe</name>\n    <path>root</path>\n  </exeInfo>\n'
open(sys.argv[2], 'w', encoding='utf-8').write(text.replace('  <!-- Shortcuts', tail + '  <!-- Shortcuts'))
PY
older=$SCENARIO_DIR/older
cp -r "$DEMO/product" "$older"
echo "older client" >>"$older/Quorvin.exe"
echo "older tail" >"$older/zzTail.exe"
pack_product "$DRIVE_C/demo/OlderSetup.exe" "$older" "$tail_config" 1.6.0001.0000.0001
newer=$SCENARIO_DIR/newer
cp -r "$DEMO/product" "$newer"
echo "newer tail" >"$newer/zzTail.exe"
pack_product "$DRIVE_C/demo/NewerSetup.exe" "$newer" "$tail_config"
rm -rf "$company" "$DRIVE_C/$START_MENU/QVX" "$DRIVE_C/Logs"
wine reg delete "$UNINSTALL_KEY\\Norvane_new" /f >/dev/null 2>&1 || true
run_program 120 'C:\demo\OlderSetup.exe' '-dC:\Apps' -t '-lC:\Logs'
check_eq "upgrade: the older version installs" 0 "$EXIT_CODE"
rm -rf "$DRIVE_C/Logs"
machine_state "$BEFORE" Logs
if hold 'C:\Apps\QVX\zzTail.exe'; then
  run_program 120 'C:\demo\NewerSetup.exe' '-dC:\Apps' '-hNEW1 NEW2' -t '-lC:\Logs'
  release_hold
  expect_rolled_back "upgrade" NewerSetup \
    'Cannot create file C:\Apps\QVX\zzTail.exe. If any QVX program (i.e.Norvane) is running, please quit it first.'
  check "upgrade: the main client copy one level up had been refreshed before the failure" \
    grep -qxF 'Enter function CreateDirOfFile() with parameter fullName is C:\Apps\QVX\quorvin.exe.' \
    <(log_messages "$(log_of NewerSetup)" | sed '/^Cannot create file/q')
  check_eq "upgrade: the older main client one level up" "$(md5sum <"$older/Quorvin.exe")" \
    "$(md5sum <"$company/quorvin.exe")"
fi

# ---- A reinstallation of the same version from a repacked package that fails ----
# Every file of the repacked package has other bytes; another program holds the version folder's
# Updrift.exe, which comes after the main client in the archive.
rm -rf "$company" "$DRIVE_C/$START_MENU/QVX" "$DRIVE_C/Logs"
wine reg delete "$UNINSTALL_KEY\\Norvane_new" /f >/dev/null 2>&1 || true
pack_product "$DRIVE_C/demo/EarlierSetup.exe" "$DEMO/product" "$DEMO/appConfig.xml"
repacked=$SCENARIO_DIR/repacked
cp -r "$DEMO/product" "$repacked"
find "$repacked" -type f -exec sh -c 'echo repacked >>"$1"' _ {} \;
pack_product "$DRIVE_C/demo/RepackedSetup.exe" "$repacked" "$DEMO/appConfig.xml"
run_program 120 'C:\demo\EarlierSetup.exe' '-dC:\Apps' '-lC:\Logs'
check_eq "reinstallation: the earlier package installs" 0 "$EXIT_CODE"
rm -rf "$DRIVE_C/Logs"
machine_state "$BEFORE" Logs
if hold 'C:\Apps\QVX\Norvane\Norvane1.6.0003.0000.0035\Updrift.exe'; then
  run_program 120 'C:\demo\RepackedSetup.exe' '-dC:\Apps' '-lC:\Logs'
  release_hold
  expect_rolled_back "reinstallation" RepackedSetup \
    'Cannot create file C:\Apps\QVX\Norvane\Norvane1.6.0003.0000.0035\Updrift.exe.'
  check "reinstallation: it had replaced the earlier files ($(written_before_cause RepackedSetup '^Cannot create file'))" \
    test "$(written_before_cause RepackedSetup '^Cannot create file')" -gt 5
  check_eq "reinstallation: the earlier main client" "$(md5sum <"$DEMO/product/Quorvin.exe")" \
    "$(md5sum <"$version_dir/Quorvin.exe")"
fi
finish
