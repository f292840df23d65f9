#!/usr/bin/env bash
# The setup wizard of the real installer, driven page by page: which pages each configuration
# gets, the texts that name the product, the Back, Next and Finish buttons from the first page to
# the last and back, the licence page, the information text, and Cancel on every page (nothing
# written, exit 1602). Saves a screenshot of every page of the full configuration.
source "$(dirname "$0")/lib.sh"
need_display "$@"
new_prefix

# config_variant OUT LICENCE INFORMATION SETTINGS PROJECT : the demo configuration with these
# texts (empty: none; "\n" is a line break), its settings element kept (yes) or removed (no), and
# the display name PROJECT. The file keeps the demo's LF line breaks.
config_variant() {
  python3 - "$DEMO/appConfig.xml" "$@" <<'PY'
import re, sys
src, out, licence, information, settings, project = sys.argv[1:]
text = open(src, encoding='utf-8').read()
def cdata(tag, value):
    return '<%s><![CDATA[%s]]></%s>' % (tag, value.replace('\\n', '\n'), tag)
text = re.sub(r'<license>.*?</license>', lambda m: cdata('license', licence), text, flags=re.S)
text = re.sub(r'<information>.*?</information>', lambda m: cdata('information', information),
              text, flags=re.S)
if settings == 'no':
    text = re.sub(r'<regInfo>.*?</regInfo>', '', text, flags=re.S)
text = re.sub(r'<projectName>.*?</projectName>', '<projectName>%s</projectName>' % project, text)
open(out, 'w', encoding='utf-8', newline='\n').write(text)
PY
}

LICENCE='Licence line one.\nLicence line two.'
INFORMATION='Information line one.\nInformation line two.'

# The pages of each configuration, seen by pressing Next until Next is disabled (the licence
# accepted on the way), under the caption "<projectName> Setup"; the empty configuration names
# the product by the payload's product name. Fields: case, licence, information, settings
# element, projectName, the pages.
cases=(
  "empty|-|-|-|Norvane|welcome destination ready"
  "bare|||no|Fernhollow|welcome destination ready"
  "shipped|||yes|Brenmoor|welcome host destination ready"
  "licence|$LICENCE||no|Brenmoor|welcome licence destination ready"
  "information||$INFORMATION|no|Brenmoor|welcome information destination ready"
  "full|$LICENCE|$INFORMATION|yes|Brenmoor|welcome licence information host destination ready"
)
for c in "${cases[@]}"; do
  IFS='|' read -r name licence information settings project want <<<"$c"
  if [ "$name" == empty ]; then
    : >"$SCENARIO_DIR/$name.xml"
  else
    config_variant "$SCENARIO_DIR/$name.xml" "$licence" "$information" "$settings" "$project"
  fi
  pack_product "$DRIVE_C/demo/$name.exe" "$DEMO/product" "$SCENARIO_DIR/$name.xml"
  WIZARD="$project Setup"
  start_setup 120 "C:\\demo\\$name.exe" '-lC:\Logs'
  check "$name: the caption \"$WIZARD\"" drv wait-window "$WIZARD" 30
  pages=$(page_name)
  while [ "$(wiz enabled 12324)" == 1 ] && [ "$(wc -w <<<"$pages")" -lt 8 ]; do
    if [ "$(page_name)" == licence ]; then act "$name: accept the licence" wiz click 1011; fi
    wiz click 12324 >/dev/null || break
    pages="$pages $(page_name)"
  done
  check_eq "$name: the pages" "$want" "$pages"
  act "$name: Cancel" wiz click 2
  wait_setup 30
  check_eq "$name: Cancel ends the run with 1602" 1602 "$EXIT_CODE"
done

# Texts that name the product, with a display name of its own (the bare configuration).
WIZARD="Fernhollow Setup"
start_setup 120 'C:\demo\bare.exe' '-lC:\Logs'
act "the wizard appears" drv wait-window "$WIZARD" 30
check_eq "welcome title" "Welcome to the Fernhollow Setup Wizard." "$(wiz text page:1018)"
check_eq "welcome text" "This will install Fernhollow on your computer." "$(wiz text page:1022)"
act "Next" wiz click 12324
check_eq "destination question" "Where should Fernhollow be installed?" "$(wiz text page:1022)"
check_eq "destination text" "Setup will install Fernhollow into the following folder." "$(wiz text page:1023)"
act "Next" wiz click 12324
check_eq "ready text" "Setup is now ready to begin installing Fernhollow on your computer." "$(wiz text page:1022)"
act "Cancel" wiz click 2
wait_setup 30

# The buttons from the first page to the last and back, in the full configuration, with a
# screenshot of every page on the way.
WIZARD="Brenmoor Setup"
before=$(list_drive)
start_setup 120 'C:\demo\full.exe' '-lC:\Logs'
act "the wizard appears" drv wait-window "$WIZARD" 30
walk=$(wizard_state)
screenshot 1-welcome
act "Next" wiz click 12324

# The licence page: the text with CR LF line breaks, "do not accept" selected, Next refused
# with a box captioned with the program's title (its file name, full.exe, without extension),
# then accepted.
check_eq "licence text with CR LF line breaks" $'Licence line one.\r\nLicence line two.' "$(wiz text page:1017)"
check_eq "licence: not accepted at start" "accept=0 decline=1" \
  "accept=$(wiz checked 1011) decline=$(wiz checked 1012)"
check_eq "licence: the texts of the choices" "I Accept the Agreement|I Do Not Accept the Agreeement" \
  "$(wiz text 1011)|$(wiz text 1012)"
screenshot 2-licence
walk="$walk
$(wizard_state)"
act "Next on the licence page" wiz post-click 12324
check_eq "Next refused: the box" "You must accept the agreement to continue with the installation." \
  "$(drv msgbox-text-and-ok full 15)"
check_eq "Next refused: still on the licence page, buttons unchanged" "licence back=1 next=1 finish=0" \
  "$(wizard_state)"
act "accept" wiz click 1011
check_eq "licence: accepted" "accept=1 decline=0" "accept=$(wiz checked 1011) decline=$(wiz checked 1012)"
act "Next" wiz click 12324

check_eq "information text with CR LF line breaks" $'Information line one.\r\nInformation line two.' \
  "$(wiz text page:1017)"
screenshot 3-information
walk="$walk
$(wizard_state)"
act "Next" wiz click 12324
screenshot 4-host
walk="$walk
$(wizard_state)"
act "Next" wiz click 12324
screenshot 5-destination
walk="$walk
$(wizard_state)"
act "Next" wiz click 12324
screenshot 6-ready
walk="$walk
$(wizard_state) focus=$(wiz focused)"
for back in 1 2 3 4 5; do
  act "Back" wiz click 12323
  walk="$walk
back: $(wizard_state)"
done
check_eq "the buttons on the way forward and back" "welcome back=0 next=1 finish=0
licence back=1 next=1 finish=0
information back=1 next=1 finish=0
host back=1 next=1 finish=0
destination back=1 next=1 finish=0
ready back=1 next=0 finish=1 focus=12325
back: destination back=1 next=1 finish=1
back: host back=1 next=1 finish=1
back: information back=1 next=1 finish=1
back: licence back=1 next=1 finish=1
back: welcome back=0 next=1 finish=0" "$walk"
act "Next to the licence page again" wiz click 12324
check_eq "the licence choice survives Back" "accept=1 decline=0" \
  "accept=$(wiz checked 1011) decline=$(wiz checked 1012)"
act "Cancel" wiz click 2
wait_setup 30
check_eq "Cancel on the licence page: exit code" 1602 "$EXIT_CODE"

# Cancel on every page: the wizard closes at once, without a question, and nothing is written
# (the log aside).
for page in welcome licence information host destination ready; do
  start_setup 120 'C:\demo\full.exe' '-lC:\Logs'
  act "the wizard appears" drv wait-window "$WIZARD" 30
  act "$page: reach the page" next_until "$page"
  act "$page: Cancel" wiz click 2
  wait_setup 15
  check_eq "Cancel on the $page page: exit code" 1602 "$EXIT_CODE"
  check_eq "Cancel on the $page page: nothing written" "" "$(added_paths "$before" | grep -v '^\./Logs')"
  check_eq "Cancel on the $page page: no Uninstall entry" "" "$(reg_value "$UNINSTALL_KEY\\Norvane_new" DisplayName)"
done
finish
