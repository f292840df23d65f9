#!/usr/bin/env bash
# Usage: refusal_test.sh PACKER DEMO_DIR
# A refused pack ends with exit code 1, exactly one line on stderr that names the fault, and no
# payload file: a version Windows would rename, a configuration whose appName climbs out of
# the company folder, and a product too large to install (a sparse file, so no disk space is
# needed). Warnings pack, unless --strict.
set -u
packer=$1
demo=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# refused CASE EXPECTED-LINE PACKER-ARGS... : packs into a fresh payload path and checks the refusal.
refused() {
  local name=$1 want=$2 code
  shift 2
  rm -f "$work/refused.bin"
  "$packer" "$@" --payload "$work/refused.bin" >"$work/out" 2>"$work/err"
  code=$?
  if [ "$code" -ne 1 ]; then echo "FAIL $name: exit code $code, expected 1"
  elif [ "$(wc -l <"$work/err")" -ne 1 ]; then echo "FAIL $name: expected exactly one line on stderr"
  elif [ "$(cat "$work/err")" != "$want" ]; then echo "FAIL $name: unexpected message"
  elif [ -e "$work/refused.bin" ]; then echo "FAIL $name: a payload file was written"
  else echo "refused as expected ($name): $(cat "$work/err")"; return; fi
  echo "stderr:"; cat "$work/err"
  failures=$((failures + 1))
}

refused "version" \
  'packer: the version ends in a dot or a blank, which Windows drops from folder names' \
  --name Norvane --version 1.0. --config "$demo/appConfig.xml" --product "$demo/product"

sed 's|<appName>Norvane</appName>|<appName>..\\..\\Esc</appName>|' "$demo/appConfig.xml" \
  >"$work/hostile.xml"
refused "appName" \
  'packer: the configuration'"'"'s appName "..\..\Esc" must be a single folder name (it contains a backslash)' \
  --name Norvane --version 1.0 --config "$work/hostile.xml" --product "$demo/product"

mkdir -p "$work/large"
cp -r "$demo/product/." "$work/large/"
truncate -s 2G "$work/large/data.bin"
size=$("$packer" --name Norvane --version 1.0 --config "$demo/appConfig.xml" \
  --product "$demo/product" --payload "$work/demo.bin" | sed -n 's/.*archive \([0-9]*\) bytes.*/\1/p')
if [ -z "$size" ]; then
  echo "FAIL size: the demo product did not pack"
  failures=$((failures + 1))
else
  # The demo's archive, then data.bin's path, NUL, size field and its 2 GiB.
  archive=$(echo $((size + 8 + 1 + 4 + 2 * 1024 * 1024 * 1024)) | sed ':a; s/\B[0-9]\{3\}\>/,&/; ta')
  refused "size" \
    "packer: the product is too large to install: its archive has $archive bytes, more than the 1,824,522,240 (1,740 MiB) that the 32-bit installer can unpack beside its own image" \
    --name Norvane --version 1.0 --config "$demo/appConfig.xml" --product "$work/large"
fi

# Warnings: a package deployment tools cannot detect or compare still packs, with one line per
# warning on stderr; --strict makes the warnings a refusal that writes nothing.
sed 's|<name>unwindle.exe</name>|<name>other.exe</name>|g' "$demo/appConfig.xml" >"$work/nolink.xml"
warned="packer: warning: no Uninstall entry will be written: deployment tools cannot detect the product
packer: warning: the version \"2.1-beta\" is not numbers separated by dots: deployment tools cannot compare it as numbers"
rm -f "$work/warned.bin"
"$packer" --name Norvane --version 2.1-beta --config "$work/nolink.xml" --product "$demo/product" \
  --payload "$work/warned.bin" >"$work/out" 2>"$work/err"
code=$?
if [ "$code" -ne 0 ] || [ "$(cat "$work/err")" != "$warned" ] || [ ! -s "$work/warned.bin" ]; then
  echo "FAIL warnings: exit code $code, stderr:"; cat "$work/err"
  failures=$((failures + 1))
else echo "packed with warnings as expected"; fi
rm -f "$work/warned.bin"
"$packer" --strict --name Norvane --version 2.1-beta --config "$work/nolink.xml" \
  --product "$demo/product" --payload "$work/warned.bin" >"$work/out" 2>"$work/err"
code=$?
if [ "$code" -ne 1 ] || [ -e "$work/warned.bin" ] ||
   [ "$(tail -1 "$work/err")" != "packer: warnings fail the packing with --strict; nothing was written" ]; then
  echo "FAIL strict: exit code $code, stderr:"; cat "$work/err"
  failures=$((failures + 1))
else echo "refused with --strict as expected"; fi

[ "$failures" -eq 0 ]
