#!/usr/bin/env bash
# Checks the built Setup.exe: PE32 GUI program, large-address-aware, importing Windows system
# DLLs only, with its manifest, the release marker, the payload resource IDR_EXE 130 (neutral)
# and the version resource made from that payload.
set -uo pipefail
exe=$1
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
failures=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi; }

headers=$($objdump -p "$exe")
check "PE32 for i386" "grep -q 'file format pei-i386' <<<\"\$headers\""
check "GUI subsystem" "grep -qE 'Subsystem[[:space:]]+00000002' <<<\"\$headers\""
characteristics=$(awk '/^Characteristics/ {print $2; exit}' <<<"$headers")
check "large-address-aware (characteristics $characteristics)" "(( $characteristics & 0x20 ))"

system_dlls='^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|OLE32|OLEAUT32|COMCTL32|SHLWAPI|msvcrt|COMDLG32|VERSION)\.dll$'
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
check "imports system DLLs only: $(echo $imports)" "! grep -qviE '$system_dlls' <<<\"\$imports\""

check "release marker in the image" "grep -qaF '!@#\$_QVX_RELEASE: 213.03.0035' '$exe'"
check "manifest: asInvoker, no uiAccess" "grep -qaF 'level=\"asInvoker\" uiAccess=\"false\"' '$exe'"
check "manifest: DPI-aware" "grep -qaF '<dpiAware' '$exe'"
check "manifest: common controls 6" "grep -qaF 'Microsoft.Windows.Common-Controls' '$exe'"
check "manifest: Windows 10/11 listed" "grep -qaF '8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a' '$exe'"

resources=$($objdump -x "$exe" | sed -n '/The .rsrc Resource Directory section/,$p')
check "resource type IDR_EXE" "grep -q 'name: .*IDR_EXE' <<<\"\$resources\""
check "IDR_EXE resource 130" "grep -A2 'IDR_EXE' <<<\"\$resources\" | grep -q 'Entry: ID: 0x000082'"
check "IDR_EXE 130 language neutral" "grep -A4 'IDR_EXE' <<<\"\$resources\" | grep -q 'Entry: ID: 00000000'"

# The version resource made from the linked payload (make_version_rc.py): a string and its value.
version_string() {
  python3 - "$exe" "$1" "$2" <<'PY'
import re, sys
image = open(sys.argv[1], "rb").read()
key, value = (t.encode("utf-16-le") for t in sys.argv[2:4])
sys.exit(0 if re.search(re.escape(key) + b"\0\0(\0\0)?" + re.escape(value) + b"\0\0", image) else 1)
PY
}
check "version resource: OriginalFilename Setup.exe" "version_string OriginalFilename Setup.exe"
check "version resource: InternalName Setup" "version_string InternalName Setup"
check "version resource: CompanyName" "version_string CompanyName '${SETUP_COMPANY:-QVX}'"
check "version resource: LegalCopyright" "version_string LegalCopyright 'Copyright (C) ${SETUP_COMPANY:-QVX}'"
check "version resource: US English" "grep -A8 'Entry: ID: 0x000010' <<<\"\$resources\" | grep -q 'Entry: ID: 0x000409'"

[ $failures -eq 0 ] && echo "all checks passed" || { echo "$failures check(s) failed"; exit 1; }
