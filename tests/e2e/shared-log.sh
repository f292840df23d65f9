#!/usr/bin/env bash
# Two installers at once with one log folder (-l): every line of both runs lands whole in the
# shared log file. A run alone first shows the lines one run writes; the shared file must hold
# them twice, none torn, none lost (the target folders are named alike in the comparison).
source "$(dirname "$0")/lib.sh"
new_prefix
pack_demo "$DRIVE_C/demo/NorvaneSetup.exe"
month=$(date +%Y-%m)

run_program 120 'C:\demo\NorvaneSetup.exe' '-dC:\Solo' '-lC:\SoloLog'
check_eq "a run alone: exit code" 0 "$EXIT_CODE"

# Both started at once; each waited for by its own runexit.
for run in One Two; do
  wine "$RUNEXIT" 180 'C:\demo\NorvaneSetup.exe' "-dC:\\$run" '-lC:\Shared' \
    >"$SCENARIO_DIR/$run.out" 2>/dev/null &
done
wait
for run in One Two; do
  check_eq "run $run at the same time: exit code" 0 \
    "$(sed -n 's/.*exit=\([0-9a-z-]*\).*/\1/p' "$SCENARIO_DIR/$run.out" | tail -n 1)"
done

shared=$DRIVE_C/Shared/NorvaneSetup$month.log
check "every line of the shared log is whole (stamp, text, CR LF)" \
  log_is_well_formed "$shared" "$DEMO/appConfig.xml"
# The lines of a log without time stamps, with the target folder named alike, sorted.
lines_of() { log_messages "$1" | sed -E 's/C:\\(Solo|One|Two)/C:\\Target/g' | LC_ALL=C sort; }
solo=$(lines_of "$DRIVE_C/SoloLog/NorvaneSetup$month.log")
check "the shared log holds every line of both runs, each once" \
  diff <(printf '%s\n%s\n' "$solo" "$solo" | LC_ALL=C sort) <(lines_of "$shared")
# The premise: the second run began before the first one ended, so their lines met in the file.
order=$(log_messages "$shared" | grep -E '^(Enter function Init\(\)\.|Installation of Brenmoor has completed)' | cut -c1-5)
check_eq "the two runs wrote at the same time" "Enter
Enter
Insta
Insta" "$order"
finish
