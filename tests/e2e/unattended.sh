#!/usr/bin/env bash
# The demo product packed into a finished installer and run unattended: it is decompressed and
# checked, Init is traced in the monthly log, the run ends with the outcome sentence and exit
# code, and nothing but the log is written while the run cannot complete.
source "$(dirname "$0")/lib.sh"
new_prefix
pack_demo "$DRIVE_C/demo/NorvaneSetup.exe"
before=$(list_drive)

run_program 120 'C:\demo\NorvaneSetup.exe' '-dC:\Apps' '-lC:\Logs'
run_program 120 'C:\demo\NorvaneSetup.exe' '-dC:\Apps' '-lC:\Logs'

log=$DRIVE_C/Logs/NorvaneSetup$(date +%Y-%m).log
check "the monthly log file exists: $(basename "$log")" test -f "$log"
check "every log line has its time stamp and CR LF" log_is_well_formed "$log"
messages=$(log_messages "$log")
check_eq "a second run appends to the same file" 2 "$(grep -cxF 'Enter function Init().' <<<"$messages")"
check "the payload was read" grep -qF 'Payload of Norvane 1.6.0003.0000.0035: ' <<<"$messages"
# The configuration step is not part of this build yet: the run stops there, visibly.
check "the missing step is named" grep -qxF 'Step ParseXml() is not part of this build; the installation stops here.' <<<"$messages"
check_eq "the run ends with the failure sentence" 'Installation of  has failed.' "$(tail -n 1 <<<"$messages")"
check_eq "exit code" 1603 "$EXIT_CODE"
check_eq "nothing but the log was written" "$before" "$(list_drive | grep -v '^\./Logs')"
finish
