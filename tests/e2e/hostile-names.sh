#!/usr/bin/env bash
# Packages whose names reach outside the folders the user chose: configuration names that climb
# out of the target, and archives with two entries for one place on disk. Each is refused with
# 1603 before anything is written (a listing of the whole drive before and after, the log folder
# excepted), and the log says which element or which two entries.
source "$(dirname "$0")/lib.sh"
new_prefix
pack_demo "$DRIVE_C/demo/NorvaneSetup.exe"
python3 "$SOURCE_DIR/tests/e2e/hostile_names.py" "$DRIVE_C/pack/payload.bin" "$SCENARIO_DIR/hostile"

# refused KIND TARGET REASON : installs payload KIND unattended into TARGET; REASON is what the
# log must give after "The installation package is damaged and was refused: ".
refused() {
  local kind=$1 target=$2 reason=$3
  run_attached_payload "$SCENARIO_DIR/hostile/$kind.bin" "-d$target" ||
    { check "$kind: attached" false; return; }
  check_eq "$kind: exit code" 1603 "$EXIT_CODE"
  check "$kind: the log names the refusal" \
    env LC_ALL=C grep -qxF "The installation package is damaged and was refused: $reason" <<<"$MESSAGES"
  # A refused archive ends before the configuration gives the project name.
  check "$kind: the failure sentence ends the log" \
    grep -qxE 'Installation of (Brenmoor|Norvane|BadSetup) has failed\.' <<<"$(outcome_line <<<"$MESSAGES")"
  check_eq "$kind: nothing but the log was written" "" "$(added_paths "$BEFORE" | grep -v '^\./Logs')"
}

refused appname 'C:\Apps\Deep' \
  "the configuration's appName \"..\\..\\Esc\" must be a single folder name (it contains a backslash)."
refused companyname 'C:\Apps' \
  "the configuration's companyName \"..\\..\\EscCo\" must be a single folder name (it contains a backslash)."
refused alias 'C:\Apps' \
  "the configuration's shortCut alias \"..\\..\\..\\..\\..\\..\\..\\escaped\" cannot be part of a path: the component \"..\" refers to the current or the parent folder."
refused file-and-folder 'C:\Apps' \
  "Entry 9 (\"Tools\\Helpdesk.exe\") and entry 10 (\"Tools\") use \"Tools\" both as a file and as a folder."
refused case-twins 'C:\Apps' \
  "Entry 9 (\"R$(printf '\xc9')SUM$(printf '\xc9').txt\") and entry 10 (\"r$(printf '\xe9')sum$(printf '\xe9').txt\") name the same file (names are compared without regard to case)."
finish
