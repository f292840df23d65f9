#!/usr/bin/env bash
# Shortcuts to programs that exeInfo does not list, with the installer started from a working
# folder that holds decoys of the same names: the link goes to the program where extraction put
# it (its archive entry below the version folder), never to the working folder; a program the
# package does not carry gets no link and a log line.
source "$(dirname "$0")/lib.sh"
new_prefix

product=$SCENARIO_DIR/product
cp -r "$DEMO/product" "$product"
mkdir -p "$product/Tools"
echo "the helpdesk program" >"$product/Tools/Helpdesk.exe"
config=$SCENARIO_DIR/links.xml
sed 's|</appConfig>|  <shortCut><name>Helpdesk.exe</name><alias>Helpdesk</alias><argument></argument><icon>Helpdesk.exe</icon></shortCut>\
  <shortCut><name>Absent.exe</name><alias>Absent</alias><argument></argument><icon>Absent.exe</icon></shortCut>\
</appConfig>|' "$DEMO/appConfig.xml" >"$config"
check_eq "the configuration has the two unlisted programs" 2 "$(grep -cE '<name>(Helpdesk|Absent)\.exe</name>' "$config")"
pack_product "$DRIVE_C/demo/LinksSetup.exe" "$product" "$config"

mkdir -p "$DRIVE_C/Work"
for decoy in Helpdesk.exe Absent.exe; do echo "a stray file" >"$DRIVE_C/Work/$decoy"; done
cd "$DRIVE_C/Work"
run_program 120 'C:\demo\LinksSetup.exe' '-dC:\Apps' '-lC:\Logs'
cd - >/dev/null
check_eq "exit code" 0 "$EXIT_CODE"

links=$DRIVE_C/$START_MENU/QVX
check_eq "Helpdesk.lnk starts the installed program" \
  'C:\Apps\QVX\Norvane\Norvane1.6.0003.0000.0035\Tools\Helpdesk.exe' "$(link_target "$links/Helpdesk.lnk")"
check "the program it starts is there" \
  test -f "$DRIVE_C/Apps/QVX/Norvane/Norvane1.6.0003.0000.0035/Tools/Helpdesk.exe"
check "no link for the program the package lacks" test ! -e "$links/Absent.lnk"
check "the log says why" file_has_line "$DRIVE_C/Logs/LinksSetup$(date +%Y-%m).log" \
  'No link QVX\Absent: absent.exe is not part of the installed product.'
for link in "$links"/*.lnk; do
  check "${link##*/} does not point into the working folder" \
    bash -c "! lnkinfo '$link' 2>/dev/null | grep -qiF 'C:\\Work'"
done
finish
