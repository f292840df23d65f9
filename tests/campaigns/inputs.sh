#!/usr/bin/env bash
# Long and unusual paths and hostile command lines, end to end:
# - a destination plus relative path over 259 characters fails with a clear message, exit 1603
#   and no file written, and no fixed buffer overflows (the process ends normally);
# - names with blanks, several dots and characters of the ANSI code page round-trip from the
#   packing tool to disk, byte for byte;
# - values of several thousand characters, quotes, trailing backslashes and blanks, unknown
#   letters and repeated options: no crash, the values arrive as the C runtime read them.
source "$SOURCE_DIR/tests/e2e/lib.sh"
new_prefix
: >"$SCENARIO_DIR/empty.xml"
a120=$(printf 'a%.0s' {1..120})
b100=$(printf 'b%.0s' {1..100})

# Long path.
long=$SCENARIO_DIR/long
mkdir -p "$long/$a120"
echo "deep" >"$long/$a120/$b100.txt"
pack_product "$DRIVE_C/demo/Long.exe" "$long" "$SCENARIO_DIR/empty.xml"
run_program 60 'C:\demo\Long.exe' "-dC:\\$(printf 'd%.0s' {1..20})" '-lC:\Logs'
messages=$(log_messages "$DRIVE_C"/Logs/Long*.log)
check_eq "long path: exit code" 1603 "$EXIT_CODE"
check "long path: the message names the length" grep -qE 'the path is 2[0-9]{2} characters long, more than the 259 Windows allows' <<<"$messages"
check_eq "long path: the failure sentence ends the log" 'Installation of Norvane has failed.' "$(outcome_line <<<"$messages")"
check_eq "long path: no file of that name" "" "$(find "$DRIVE_C/dddddddddddddddddddd" -name '*.txt' 2>/dev/null)"

# Unusual names: blanks, several dots, code page 1252 letters (written here in UTF-8, which Wine
# shows to Windows programs as the ANSI characters).
odd=$SCENARIO_DIR/odd
mkdir -p "$odd/Sub Folder.v2.0" "$odd/Résumé"
printf 'one' >"$odd/Sub Folder.v2.0/read me.first.txt"
printf 'two' >"$odd/Résumé/Übersicht né.dat"
printf 'three' >"$odd/a..b...c.txt"
pack_product "$DRIVE_C/demo/Odd.exe" "$odd" "$SCENARIO_DIR/empty.xml"
run_program 60 'C:\demo\Odd.exe' '-dC:\Odd Target' '-lC:\Logs'
check_eq "unusual names: exit code" 0 "$EXIT_CODE"
version="$DRIVE_C/Odd Target/QVX/Norvane/Norvane1.6.0003.0000.0035"
for f in "Sub Folder.v2.0/read me.first.txt" "Résumé/Übersicht né.dat" "a..b...c.txt"; do
  check "unusual names: $f round-trips" cmp -s "$odd/$f" "$version/$f"
done

# Command lines. The demo product; the host list arrives in AppInfo.xml as the C runtime read it.
pack_demo "$DRIVE_C/demo/NorvaneSetup.exe"
appinfo_hosts() {
  python3 - "$1" <<'PY'
import re, sys
text = open(sys.argv[1], encoding="utf-8", errors="replace").read()
match = re.search(r"<HostList>(.*?)</HostList>", text, re.S)
value = match.group(1) if match else "<missing>"
print(value.replace("&quot;", '"').replace("&lt;", "<").replace("&gt;", ">").replace("&amp;", "&"), end="")
PY
}
long_value=$(printf 'HOST%04d ' {1..700})
long_value=${long_value% }
declare -a names=("several thousand characters" "quotes" "trailing backslash and blank" "repeated option" "unknown letters")
declare -a hosts=("$long_value" 'A "quoted" host' 'H1 H2\ ' 'SECOND' 'KEPT')
for i in "${!names[@]}"; do
  rm -rf "$DRIVE_C/Cmd"
  if [ "${names[$i]}" = "repeated option" ]; then
    run_program 120 'C:\demo\NorvaneSetup.exe' '-dC:\Cmd' -hFIRST "-h${hosts[$i]}" '-lC:\Logs'
  elif [ "${names[$i]}" = "unknown letters" ]; then
    run_program 120 'C:\demo\NorvaneSetup.exe' -x /Z -q '-dC:\Cmd' "-h${hosts[$i]}" -Y '-lC:\Logs'
  else
    run_program 120 'C:\demo\NorvaneSetup.exe' '-dC:\Cmd' "-h${hosts[$i]}" '-lC:\Logs'
  fi
  check_eq "${names[$i]}: exit code" 0 "$EXIT_CODE"
  check_eq "${names[$i]}: the value arrives unchanged" "${hosts[$i]}" \
    "$(appinfo_hosts "$DRIVE_C/Cmd/QVX/Norvane/AppData/AppInfo.xml")"
done
# A target folder of several thousand characters: refused cleanly.
run_program 120 'C:\demo\NorvaneSetup.exe' "-dC:\\$(printf 'x%.0s' {1..4000})" '-lC:\Logs'
check_eq "a target of 4000 characters: exit code" 1603 "$EXIT_CODE"
finish
