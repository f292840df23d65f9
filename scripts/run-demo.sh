#!/usr/bin/env bash
# The main job: build, pack the demo product into a finished installer, install it unattended
# under Wine in a fresh prefix, and show the outcome, the exit code, what landed and the log.
# With --wizard: walk through the setup wizard under a virtual display instead, saving a
# screenshot of every page in build/demo/wizard/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/install-deps.sh
bash scripts/build.sh

# --wizard: the same installer shown as a user sees it, page by page, with screenshots.
if [ "${1:-}" = --wizard ]; then
  exec bash scripts/demo-wizard.sh
fi

out=$root/build/demo
rm -rf "$out"; mkdir -p "$out"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" WINEPREFIX=$out/prefix

echo "== packing examples/demo into a payload (native packing tool)"
build/native/tools/packer/packer --name Norvane --version 1.6.0003.0000.0035 \
  --config examples/demo/appConfig.xml --product examples/demo/product \
  --list examples/demo/product.list --payload "$out/payload.bin"
ls -l "$out/payload.bin"

echo "== making a fresh Wine prefix"
bash tests/wine/make-prefix.sh "$root/build/win32/wine/template" "$WINEPREFIX"
drive=$WINEPREFIX/drive_c
mkdir -p "$drive/demo"
cp -r examples/demo/product examples/demo/appConfig.xml examples/demo/product.list "$drive/demo/"
cp build/win32/Installer/Setup.exe build/win32/tools/packer/packer.exe "$drive/demo/"

echo "== making the finished installer NorvaneSetup.exe (Win32 packing tool under Wine)"
wine 'C:\demo\packer.exe' --name Norvane --version 1.6.0003.0000.0035 \
  --config 'C:\demo\appConfig.xml' --product 'C:\demo\product' --list 'C:\demo\product.list' \
  --payload 'C:\demo\payload.bin' --installer 'C:\demo\Setup.exe' --output 'C:\demo\NorvaneSetup.exe'
cmp "$out/payload.bin" "$drive/demo/payload.bin" && echo "both packing tools wrote the same payload"

echo "== installing unattended: NorvaneSetup.exe -dC:\\Apps \"-hHOST1 HOST2\" -lC:\\Logs"
xvfb-run -a wine build/win32/tests/runexit.exe 300 'C:\demo\NorvaneSetup.exe' '-dC:\Apps' '-hHOST1 HOST2' '-lC:\Logs' \
  >"$out/exit.txt" 2>/dev/null || true
code=$(sed -n 's/^exit=//p' "$out/exit.txt" | tr -d '\r')
wineserver -w || true

echo "== exit code: $code"
echo "== installed tree below C:\\Apps"
if [ -d "$drive/Apps" ]; then (cd "$drive/Apps" && find . | LC_ALL=C sort); else echo "(nothing)"; fi
echo "== ExePathInfo: $(cat "$drive/Apps/QVX/ExePathInfo" 2>/dev/null)"
echo "== product settings in AppInfo.xml"
sed -n '/<regInfo>/,/<\/regInfo>/p' "$drive/Apps/QVX/Norvane/AppData/AppInfo.xml" 2>/dev/null | tr -d '\r'
echo "== Start-menu links"
for link in "$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/QVX"/*.lnk; do
  [ -e "$link" ] || continue
  echo "$(basename "$link"):"
  lnkinfo "$link" 2>/dev/null | tr -d '\r' | grep -E 'Local path|Command line arguments|Icon location' | sed 's/^[[:space:]]*/    /'
done
echo "== Uninstall entry (HKLM, 32-bit view)"
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Norvane_new' 2>/dev/null | tr -d '\r' | grep REG_
echo "== last lines of the log"
tail -n 15 "$drive"/Logs/*.log | tr -d '\r'
echo "== outcome: $(tr -d '\r' < "$drive"/Logs/*.log | grep -E '^.{20}Installation of ' | tail -n 1 | cut -c21-)"
