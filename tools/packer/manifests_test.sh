#!/usr/bin/env bash
# Usage: manifests_test.sh PACKER DEMO_DIR FIXTURE_DIR
# The demo product packed into a finished installer with --manifests: the five files are written,
# the winget ones valid against the official 1.6.0 schemas, the installer manifest naming the
# finished installer's SHA-256, the Intune app detecting the Uninstall entry's DisplayVersion. A
# missing --installer-url is a warning (and fails with --strict); --manifests without a finished
# installer is refused.
set -u
packer=$1
demo=$2
fixtures=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
version=1.6.0003.0000.0035

fail() { echo "FAIL $1"; failures=$((failures + 1)); }

pack() {
  "$packer" --name Norvane --version "$version" --config "$demo/appConfig.xml" \
    --product "$demo/product" --list "$demo/product.list" "$@" >"$work/out" 2>"$work/err"
}

pack --installer "$fixtures/TinySetup.exe" --output "$work/NorvaneSetup.exe" \
  --manifests "$work/manifests" --installer-url https://files.example/NorvaneSetup.exe
code=$?
if [ "$code" -ne 0 ] || [ -s "$work/err" ]; then
  fail "pack with --manifests: exit code $code, stderr: $(cat "$work/err")"
else
  for f in QVX.Norvane.yaml QVX.Norvane.installer.yaml QVX.Norvane.locale.en-US.yaml \
           QVX.Norvane.intune.json QVX.Norvane.detect.ps1; do
    [ -s "$work/manifests/$f" ] || fail "no $f"
  done
  python3 "$here/validate_manifests.py" "$work/manifests" "$fixtures/winget-schemas-1.6.0" \
    "$work/NorvaneSetup.exe" "$version" || failures=$((failures + 1))
  grep -q 'InstallerUrl: "https://files.example/NorvaneSetup.exe"' \
    "$work/manifests/QVX.Norvane.installer.yaml" || fail "the given --installer-url is not the InstallerUrl"
fi

# Without --installer-url: a placeholder that still validates, and a warning that says so.
pack --installer "$fixtures/TinySetup.exe" --output "$work/Placeholder.exe" \
  --manifests "$work/placeholder"
code=$?
warning="packer: warning: no --installer-url: the winget installer manifest names https://fill-in-the-installer-url.invalid/Placeholder.exe as its InstallerUrl; fill in the URL the installer is published at"
if [ "$code" -ne 0 ] || [ "$(cat "$work/err")" != "$warning" ]; then
  fail "placeholder URL: exit code $code, stderr: $(cat "$work/err")"
else
  python3 "$here/validate_manifests.py" "$work/placeholder" "$fixtures/winget-schemas-1.6.0" \
    "$work/Placeholder.exe" "$version" || failures=$((failures + 1))
fi
pack --strict --installer "$fixtures/TinySetup.exe" --output "$work/Strict.exe" \
  --manifests "$work/strict"
code=$?
if [ "$code" -ne 1 ] || [ -e "$work/Strict.exe" ] || [ -e "$work/strict" ]; then
  fail "--strict without --installer-url: exit code $code, or something was written"
fi

pack --payload "$work/p.bin" --manifests "$work/refused"
code=$?
if [ "$code" -ne 2 ] || [ -e "$work/refused" ] || [ -e "$work/p.bin" ] ||
   [ "$(cat "$work/err")" != "packer: --manifests describe a finished installer: give --installer and --output" ]; then
  fail "--manifests without --output: exit code $code, stderr: $(cat "$work/err")"
else
  echo "refused as expected: $(cat "$work/err")"
fi

[ "$failures" -eq 0 ]
