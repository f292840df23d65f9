#!/usr/bin/env bash
# The wizard's host settings page: which lists each product shows, the configured values in the
# edits, the VistA box from -v, and, through to Finish, values typed there ending up in
# AppInfo.xml, Enter in the hosts edit acting as Next, the VistA box deciding the configuration
# tool's link, and the hidden desktop box of a product other than Norvane still applied.
source "$(dirname "$0")/lib.sh"
need_display "$@"
new_prefix

# product_config OUT APPNAME : the demo configuration for another application name, with its
# settings element where that product reads it (Tallyset and TallysetAdmin, in any case, under
# their own name) and a configuration tool program with its link.
product_config() {
  local element=QUORVIN
  case "${2,,}" in tallyset | tallysetadmin) element=$2 ;; esac
  sed -e "s|<appName>Norvane</appName>|<appName>$2</appName>|" \
    -e "s|<QUORVIN>|<$element>|; s|</QUORVIN>|</$element>|" \
    -e 's|</appConfig>|  <exeInfo>\n    <name>QVX.Tallyset.exe</name>\n    <path></path>\n  </exeInfo>\n  <shortCut>\n    <name>QVX.Tallyset.exe</name>\n    <alias>Tallyset Configuration</alias>\n    <argument>-config</argument>\n    <icon>QVX.Tallyset.exe</icon>\n  </shortCut>\n</appConfig>|' \
    "$DEMO/appConfig.xml" >"$1"
}
product=$SCENARIO_DIR/product
cp -r "$DEMO/product" "$product"
echo "the configuration tool" >"$product/QVX.Tallyset.exe"

WIZARD="Brenmoor Setup"

# host_page_state : the shown state of each control of the host page, VistA's check, and the
# texts of the four edits (the port list's hidden edit included).
host_page_state() {
  local id line=""
  for id in page:2 1025 page:3 1026 page:4 1027 1028 1032 1033; do
    line="$line ${id#page:}=$(wiz visible "$id")"
  done
  echo "${line# } vista=$(wiz checked 1028)"
}
host_page_texts() {
  echo "hosts=$(wiz text 1025)|ports=$(wiz text 1026)|update=$(wiz text 1027)|web=$(wiz text 1033)"
}

# Which controls each product shows (1 shown, 0 hidden) and the VistA box, with and without -v.
# Fields: appName, option, the page's state. The port list (3, 1026) is never shown; the web
# hosts only for Norvane in any case; VistA instead of the update hosts only for Tallyset and
# TallysetAdmin spelt exactly so.
cases=(
  "Norvane|-v|2=1 1025=1 3=0 1026=0 4=1 1027=1 1028=0 1032=1 1033=1 vista=1"
  "NORVANE||2=1 1025=1 3=0 1026=0 4=1 1027=1 1028=0 1032=1 1033=1 vista=0"
  "Tallyset|-v|2=1 1025=1 3=0 1026=0 4=0 1027=0 1028=1 1032=0 1033=0 vista=1"
  "Tallyset||2=1 1025=1 3=0 1026=0 4=0 1027=0 1028=1 1032=0 1033=0 vista=0"
  "TallysetAdmin|-v|2=1 1025=1 3=0 1026=0 4=0 1027=0 1028=1 1032=0 1033=0 vista=1"
  "tallyset|-v|2=1 1025=1 3=0 1026=0 4=1 1027=1 1028=0 1032=0 1033=0 vista=1"
  "Quillon|-v|2=1 1025=1 3=0 1026=0 4=1 1027=1 1028=0 1032=0 1033=0 vista=1"
)
row=0
for c in "${cases[@]}"; do
  IFS='|' read -r app option want <<<"$c"
  row=$((row + 1))  # Windows file names ignore case: Tallyset and tallyset need names of their own
  product_config "$SCENARIO_DIR/host$row.xml" "$app"
  pack_product "$DRIVE_C/demo/host$row.exe" "$product" "$SCENARIO_DIR/host$row.xml"
  start_setup 120 "C:\\demo\\host$row.exe" '-lC:\Logs' $option
  act "the wizard appears" drv wait-window "$WIZARD" 30
  act "$app: Next to the host page" next_until host
  check_eq "$app $option: the host page" "host $want" "$(page_name) $(host_page_state)"
  check_eq "$app $option: the configured values in the edits" \
    "hosts=HOST1 HOST2 HOST3|ports=15000 15001 15002 15003|update=AUTOUPDATEHOSTS|web=WEBHOST1" \
    "$(host_page_texts)"
  act "$app: Cancel" wiz click 2
  wait_setup 30
done

program_files="$DRIVE_C/Program Files (x86)"
tallyset=$program_files/QVX/Tallyset
appinfo=$tallyset/AppData/AppInfo.xml
tool_link="$DRIVE_C/$START_MENU/QVX/Tallyset Configuration.lnk"
desktop_link=$DRIVE_C/users/Public/Desktop/Brenmoor.lnk
remove_installation() {
  rm -rf "$program_files/QVX" "$DRIVE_C/$START_MENU/QVX" "$desktop_link"
  wine reg delete "$UNINSTALL_KEY\\Tallyset_new" /f >/dev/null 2>&1 || true
}

# Tallyset with -v: the box starts checked; the user clears it, types hosts and presses Enter in
# the hosts edit, which moves on like Next.
product_config "$SCENARIO_DIR/Tallyset.xml" Tallyset
pack_product "$DRIVE_C/demo/Tallyset.exe" "$product" "$SCENARIO_DIR/Tallyset.xml"
start_setup 120 'C:\demo\Tallyset.exe' '-lC:\Logs' -v
act "the wizard appears" drv wait-window "$WIZARD" 30
act "Next to the host page" next_until host
act "clear the VistA box" wiz click 1028
act "type the hosts" wiz set-text 1025 "TALLY1 TALLY2"
act "Enter in the hosts edit" wiz press-enter-in 1025
act "Enter acts as Next" wiz wait-text page:1018 "Select Destination Location" 10
check_eq "the desktop box of another product: hidden, checked" "visible=0 checked=1" \
  "visible=$(wiz visible 1031) checked=$(wiz checked 1031)"
act "Next" wiz click 12324
act "Finish" wiz post-click 12325
expect_wizard_success Tallyset
check "Tallyset: AppInfo.xml has the typed hosts" grep -qF '<HostList>TALLY1 TALLY2</HostList>' "$appinfo"
check "Tallyset: the hidden update hosts pass unchanged" grep -qF '<AutoUpdateHostName>AUTOUPDATEHOSTS</AutoUpdateHostName>' "$appinfo"
check "Tallyset: the hidden ports pass unchanged" grep -qF '<PortList>15000 15001 15002 15003</PortList>' "$appinfo"
check_eq "Tallyset, VistA cleared: the tool's link has its configured argument" "-config" \
  "$(link_arguments "$tool_link")"
check "Tallyset: the hidden desktop box still made the desktop link" test -f "$desktop_link"

# Tallyset without -v: the box starts clear; the user checks it and moves on with Next.
remove_installation
start_setup 120 'C:\demo\Tallyset.exe' '-lC:\Logs'
act "the wizard appears" drv wait-window "$WIZARD" 30
act "Next to the host page" next_until host
check_eq "without -v the VistA box starts clear" 0 "$(wiz checked 1028)"
act "check the VistA box" wiz click 1028
act "Next" wiz click 12324
act "Next" wiz click 12324
act "Finish" wiz post-click 12325
expect_wizard_success Tallyset
check_eq "Tallyset, VistA checked: the tool's link says -v" '"-v"' "$(link_arguments "$tool_link")"
check "Tallyset: the configured hosts, the page left unchanged" grep -qF '<HostList>HOST1 HOST2 HOST3</HostList>' "$appinfo"
finish
