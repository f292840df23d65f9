#!/usr/bin/env bash
# Usage: make-prefix.sh TEMPLATE [COPY]
# Makes the template prefix once (a stamp marks a finished one), then, when COPY is given,
# replaces COPY with a fresh copy of it.
set -euo pipefail
template=$1
copy=${2:-}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

if [ ! -f "$template/.ready" ]; then
  rm -rf "$template"
  mkdir -p "$template"
  export WINEPREFIX=$template
  wineboot -i >/dev/null 2>&1
  wineserver -w
  # The user's shell folders are links into $HOME: make them real folders, so that nothing a
  # test writes (a desktop link, a document) lands outside the prefix.
  for link in "$template"/drive_c/users/*/*; do
    if [ -L "$link" ]; then rm "$link"; mkdir -p "$link"; fi
  done
  # Without a window manager, managed windows make EndDialog take about 2 s.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  # Wine mirrors Start-menu links into the Unix desktop menus of $HOME: never from a test.
  wine reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /t REG_SZ /d "" /f >/dev/null 2>&1
  wineserver -w
  touch "$template/.ready"
fi

if [ -n "$copy" ]; then
  if [ -d "$copy" ]; then WINEPREFIX=$copy wineserver -k 2>/dev/null || true; fi
  rm -rf "$copy"
  # Never hard links: wineserver rewrites the .reg files in place.
  cp -a "$template" "$copy"
fi
