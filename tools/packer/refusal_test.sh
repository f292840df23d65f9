#!/usr/bin/env bash
# Usage: refusal_test.sh PACKER DEMO_DIR
# A refused pack ends with exit code 1, exactly one line on stderr that names the fault, and no
# payload file: a version Windows would rename, a configuration whose appName climbs out of
# the company folder, and a product too large to install (a sparse file, so no disk space is
# needed).
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

[ "$failures" -eq 0 ]
