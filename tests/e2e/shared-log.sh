#!/usr/bin/env bash
# Two installers at once with one log file: two products (one run of a product at a time is the
# rule) whose installers are both named Setup.exe, sharing -l. Every line of both runs lands
# whole in the shared file. A run of each alone first shows the lines it writes; the shared file
# must hold exactly those of both, none torn, none lost (every run gets a new target folder of
# its own, named alike in the comparison).
source "$(dirname "$0")/lib.sh"
new_prefix
sed -e 's|<appName>Norvane</appName>|<appName>Tallyset</appName>|' "$DEMO/appConfig.xml" \
  >"$SCENARIO_DIR/tallyset.xml"
# The demo product with 1,500 small files more: a run then lasts long enough (two log lines per
# file) that two started together surely overlap, however fast the log gets.
product=$SCENARIO_DIR/large
demo_with_data "$product" 1500 15
pack_product "$DRIVE_C/demo/norvane/Setup.exe" "$product" "$DEMO/appConfig.xml"
pack_product "$DRIVE_C/demo/tallyset/Setup.exe" "$product" "$SCENARIO_DIR/tallyset.xml"
log_name=Setup$(date +%Y-%m).log

for product in norvane tallyset; do
  run_program 120 "C:\\demo\\$product\\Setup.exe" "-dC:\\Solo$product" "-lC:\\Solo\\$product"
  check_eq "$product alone: exit code" 0 "$EXIT_CODE"
done

# Both started at once; each waited for by its own runexit.
for product in norvane tallyset; do
  wine "$RUNEXIT" 180 "C:\\demo\\$product\\Setup.exe" "-dC:\\Both$product" '-lC:\Shared' \
    >"$SCENARIO_DIR/$product.out" 2>/dev/null &
done
wait
for product in norvane tallyset; do
  check_eq "$product at the same time: exit code" 0 \
    "$(sed -n 's/.*exit=\([0-9a-z-]*\).*/\1/p' "$SCENARIO_DIR/$product.out" | tail -n 1)"
done

shared=$DRIVE_C/Shared/$log_name
check "every line of the shared log is whole (stamp, text, CR LF)" \
  log_is_well_formed "$shared" "$DEMO/appConfig.xml" "$SCENARIO_DIR/tallyset.xml"
# The lines of logs without time stamps, sorted, with what differs from run to run by design
# named alike: the target and log folders, the process number and the number of rollback records
# (it depends on which folders and keys earlier runs left). The installed version and the
# decision drawn from it are left out: the runs at the same time find what the lone ones left.
lines_of() { cat "$@" | tr -d '\r' | cut -c21- | sed -E 's/C:\\(Solo|Both)[a-z]+/C:\\Target/g' |
  sed -E 's/ -lC:\\(Solo\\[a-z]+|Shared)/ -lLOGS/; s/, process [0-9]+\./, process N./' |
  grep -vE '^(Installed before this run: |This is a )' |
  sed -E 's/its [0-9]+ records removed/its N records removed/' | LC_ALL=C sort; }
check "the shared log holds every line of both runs, each once" \
  diff <(lines_of "$DRIVE_C/Solo/norvane/$log_name" "$DRIVE_C/Solo/tallyset/$log_name") \
  <(lines_of "$shared")
# The premise: the second run began before the first one ended, so their lines met in the file.
order=$(log_messages "$shared" |
  grep -E '^(Enter function Init\(\)\.|Installation of Brenmoor has completed)' | cut -c1-5)
check_eq "the two runs wrote at the same time" "Enter
Enter
Insta
Insta" "$order"
finish
