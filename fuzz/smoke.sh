#!/usr/bin/env bash
# Usage: smoke.sh BUILD_DIR [SECONDS]
# Runs the payload fuzzer for SECONDS (default 30) on a copy of the seed corpus, so the committed
# corpus never grows by itself. Exits non-zero on any crash, leak, timeout or memory overrun; the
# failing inputs are kept in BUILD_DIR/fuzz/smoke-artifacts for replay
# (payload_fuzzer ARTIFACT).
set -euo pipefail
build=${1:?usage: smoke.sh BUILD_DIR [SECONDS]}
seconds=${2:-30}
here=$(cd "$(dirname "$0")" && pwd)
fuzzer=$build/fuzz/payload_fuzzer
if [ ! -x "$fuzzer" ]; then
  echo "smoke.sh: no fuzzer at $fuzzer (configure with CC=clang CXX=clang++)" >&2
  exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$here/corpus" "$work/corpus"
mkdir "$work/artifacts"

set +e
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$work/artifacts/" -print_final_stats=1 "$work/corpus" >"$work/log" 2>&1
code=$?
set -e

if [ "$code" -ne 0 ] || [ -n "$(ls -A "$work/artifacts")" ]; then
  kept=$build/fuzz/smoke-artifacts
  mkdir -p "$kept"
  cp "$work"/artifacts/* "$kept"/ 2>/dev/null || true
  tail -n 60 "$work/log"
  echo "smoke.sh: the fuzzer failed (exit code $code); inputs kept in $kept" >&2
  exit 1
fi
grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$work/log" || true
echo "smoke.sh: no crash, leak or timeout in $seconds s"
