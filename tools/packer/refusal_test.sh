#!/usr/bin/env bash
# Usage: refusal_test.sh PACKER DEMO_DIR
# A refused pack ends with exit code 1, exactly one line on stderr that names the fault, and no
# payload file.
set -u
packer=$1
demo=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$packer" --name Norvane --version 1.0. --config "$demo/appConfig.xml" --product "$demo/product" \
  --payload "$work/refused.bin" >"$work/out" 2>"$work/err"
code=$?
fail() { echo "FAIL: $*"; echo "stderr:"; cat "$work/err"; exit 1; }
[ "$code" -eq 1 ] || fail "exit code $code, expected 1"
[ "$(wc -l <"$work/err")" -eq 1 ] || fail "expected exactly one line on stderr"
grep -qx 'packer: the version ends in a dot or a blank, which Windows drops from folder names' \
  "$work/err" || fail "unexpected message"
[ ! -e "$work/refused.bin" ] || fail "a payload file was written"
echo "refused as expected: $(cat "$work/err")"
