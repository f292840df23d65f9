#!/usr/bin/env bash
# Product settings of an unattended run with a configuration in the ANSI code page (1252, no XML
# declaration, a letter outside ASCII in projectName): AppInfo.xml and its seeds are documents
# that an XML reader of its own (python3) accepts, with the configuration's text and the host
# list given with -h. Then a host list that cannot be stored (an AppInfo.xml that no longer
# parses) fails the run with 1603 instead of reporting success.
source "$(dirname "$0")/lib.sh"
new_prefix

config=$SCENARIO_DIR/ansi.xml
python3 - "$DEMO/appConfig.xml" "$config" <<'PY'
import sys
text = open(sys.argv[1], encoding="utf-8").read()
text = text.split("\n", 1)[1]  # no XML declaration
text = text.replace("<projectName>Brenmoor</projectName>", "<projectName>Brenmoor Sant\u00e9</projectName>")
open(sys.argv[2], "wb").write(text.encode("cp1252"))
PY
check "the configuration is code page 1252 without a declaration" \
  bash -c "! grep -q '<?xml' '$config' && grep -q \$'Sant\\xe9' '$config'"
pack_product "$DRIVE_C/demo/AnsiSetup.exe" "$DEMO/product" "$config"

run_program 120 'C:\demo\AnsiSetup.exe' '-dC:\Apps' '-hNEWHOST1' '-lC:\Logs'
check_eq "ANSI configuration with -h: exit code" 0 "$EXIT_CODE"
company=$DRIVE_C/Apps/QVX
appinfo=$company/Norvane/AppData/AppInfo.xml
check_eq "AppInfo.xml: an XML reader finds the given host list and the product's name" \
  "NEWHOST1
15000 15001 15002 15003
Brenmoor Santé" "$(python3 "$SOURCE_DIR/tests/e2e/xmltext.py" "$appinfo" HostList PortList projectName)"
for seed in "$company/AppInfo.xml" "$company/Norvane/Norvane1.6.0003.0000.0035/AppInfo.xml"; do
  check_eq "seed ${seed#"$DRIVE_C"/}: readable, with the configuration's text" "Brenmoor Santé
HOST1 HOST2 HOST3" "$(python3 "$SOURCE_DIR/tests/e2e/xmltext.py" "$seed" projectName HostList)"
done
log=$DRIVE_C/Logs/AnsiSetup$(date +%Y-%m).log
check "the log traces the configuration byte for byte" log_is_well_formed "$log" "$config"
check "the success sentence names the product in its code page" \
  file_has_line "$log" $'Installation of Brenmoor Sant\xe9 has completed successfully.'

# An AppInfo.xml that no reader accepts any more: the given host list cannot be stored.
printf '<appConfig><regInfo>' >"$appinfo"
run_program 120 'C:\demo\AnsiSetup.exe' '-dC:\Apps' '-hNEWHOST2' '-lC:\Logs\Unstored'
check_eq "a given host list that cannot be stored: exit code" 1603 "$EXIT_CODE"
log=$DRIVE_C/Logs/Unstored/AnsiSetup$(date +%Y-%m).log
check "the log names the setting, its element and the HRESULT" file_has_line "$log" \
  'Writing setting HostList to element /appConfig/regInfo//SOFTWARE/QVX/QUORVIN[0]/HostList of C:\Apps\QVX\Norvane\AppData\AppInfo.xml failed with HRESULT 0x'
check "the log says which given setting was lost" file_has_line "$log" \
  'Settings given on the command line could not be stored in C:\Apps\QVX\Norvane\AppData\AppInfo.xml: HostList.'
check "the run ends with the failure sentence" \
  file_has_line "$log" $'Installation of Brenmoor Sant\xe9 has failed.'
finish
