#!/usr/bin/env bash
# The benchmark against NSIS and tar: builds what it needs, makes the synthetic products, their
# installers (Setup.exe with bench/appConfig.xml; NSIS doing the same whole job, bench/whole-job.nsi,
# and NSIS writing only the files, bench/product.nsi) and archives, then runs every command in
# turn, round after round, all pinned to one processor, and prints the results table.
#
# usage: bash bench/run.sh [--rounds N] [--save] [PRESET...]
#   PRESET   small, many1k, many, shipped (default: all four; the per-file cost needs small,
#            many1k and many)
#   --rounds timed runs of every command per preset, after one untimed, checked run (default 5,
#            3 for many, which keeps the whole run near 4 minutes once built)
#   --save   also copy the table to bench/RESULTS.md
# Environment: BENCH_DIR (default build/bench: builds, inputs, Wine prefix, targets), BENCH_CPU
# (the processor everything is pinned to, default 1).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

rounds=""
save=0
presets=()
while [ $# -gt 0 ]; do
  case $1 in
    --rounds) rounds=$2; shift 2 ;;
    --save) save=1; shift ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    small|many1k|many|shipped) presets+=("$1"); shift ;;
    *) echo "unknown argument: $1 (see --help)" >&2; exit 2 ;;
  esac
done
[ ${#presets[@]} -gt 0 ] || presets=(small many1k many shipped)

BENCH_DIR=${BENCH_DIR:-$root/build/bench}
BENCH_CPU=${BENCH_CPU:-1}
WIN32_BUILD=${WIN32_BUILD:-$BENCH_DIR/win32}
NOFLUSH_BUILD=${NOFLUSH_BUILD:-$BENCH_DIR/win32-noflush}
NATIVE_BUILD=${NATIVE_BUILD:-$BENCH_DIR/native}
INPUTS=$BENCH_DIR/inputs
TRASH=$BENCH_DIR/trash
# winemenubuilder is Wine's own helper that turns every shell link into a Linux menu entry; it
# is no part of an installation on Windows, so it stays off for every command.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" WINEPREFIX=$BENCH_DIR/prefix
started=$SECONDS
step() { echo "== [$((SECONDS - started)) s] $*"; }

# Targets left by an interrupted run go first, long before anything is measured (see
# measure.py: freed inodes make the next creations slow for a while).
rm -rf "$TRASH"

step "dependencies"
bash scripts/install-deps.sh
missing=()
for p in nsis time; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

step "building Setup.exe, the same without the log flush, and the packing tool"
toolchain=$root/cmake/toolchain-i686-w64-mingw32.cmake
cmake -S . -B "$WIN32_BUILD" --toolchain "$toolchain" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$WIN32_BUILD" -j2 --target Setup attach_payload >/dev/null
cmake -S . -B "$NOFLUSH_BUILD" --toolchain "$toolchain" -DCMAKE_BUILD_TYPE=Release \
  "-DCMAKE_CXX_FLAGS=-include $root/bench/noflush.h" >/dev/null
cmake --build "$NOFLUSH_BUILD" -j2 --target Setup >/dev/null
cmake -S . -B "$NATIVE_BUILD" -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$NATIVE_BUILD" -j2 --target packer >/dev/null

step "Wine prefix"
mkdir -p "$INPUTS"
if [ ! -d "$WINEPREFIX/drive_c" ]; then
  bash tests/wine/make-prefix.sh "$BENCH_DIR/wine-template" "$WINEPREFIX"
fi
ln -sfn "$INPUTS" "$WINEPREFIX/drive_c/bench"
trap 'wineserver -k 2>/dev/null || true' EXIT
cp "$WIN32_BUILD/Installer/Setup.exe" "$INPUTS/Setup.exe"
cp "$NOFLUSH_BUILD/Installer/Setup.exe" "$INPUTS/SetupNoFlush.exe"

# stale OUTPUT INPUT... : true when OUTPUT is missing or older than one of the inputs.
stale() {
  local out=$1; shift
  [ -e "$out" ] || return 0
  local f
  for f in "$@"; do [ "$f" -nt "$out" ] && return 0; done
  return 1
}

version=1.6.0003.0000.0035
for preset in "${presets[@]}"; do
  dir=$INPUTS/$preset
  step "$preset: product, payload, installers, archive"
  if stale "$dir/summary.txt" bench/make_product.py; then
    rm -rf "$dir"
    python3 bench/make_product.py "$preset" "$dir"
  fi
  if stale "$dir/payload.bin" "$dir/summary.txt" "$NATIVE_BUILD/tools/packer/packer" \
      bench/appConfig.xml; then
    "$NATIVE_BUILD/tools/packer/packer" --name Norvane --version "$version" \
      --config bench/appConfig.xml --product "$dir/product" --list "$dir/product.list" \
      --payload "$dir/payload.bin"
  fi
  for exe in Setup SetupNoFlush; do
    if stale "$dir/$exe.exe" "$dir/payload.bin" "$INPUTS/$exe.exe"; then
      wine "$WIN32_BUILD/tests/attach_payload.exe" "C:\\bench\\$exe.exe" \
        "C:\\bench\\$preset\\$exe.exe" "C:\\bench\\$preset\\payload.bin"
    fi
  done
  if stale "$dir/nsis-whole.exe" "$dir/summary.txt" bench/whole-job.nsi; then
    makensis -V1 -DPRODUCT="$dir/product" -DVERSION="$version" -DOUTFILE="$dir/nsis-whole.exe" \
      bench/whole-job.nsi
  fi
  if stale "$dir/nsis.exe" "$dir/summary.txt" bench/product.nsi; then
    makensis -V1 -DPRODUCT="$dir/product" -DOUTFILE="$dir/nsis.exe" bench/product.nsi
  fi
  if stale "$dir/nsis-solid.exe" "$dir/summary.txt" bench/product.nsi; then
    makensis -V1 -DSOLID -DPRODUCT="$dir/product" -DOUTFILE="$dir/nsis-solid.exe" bench/product.nsi
  fi
  if stale "$dir/product.tar.gz" "$dir/summary.txt"; then
    tar -C "$dir/product" -czf "$dir/product.tar.gz" .
  fi
done

step "measuring: ${presets[*]}, pinned to processor $BENCH_CPU"
# The measurement runs on a desktop (a virtual display), as an installation does: without one,
# every Wine program that loads user32 tries to start the desktop process again. One Wine server
# for the whole measurement, started inside the display and pinned to the same processor as the
# programs: its round trips then cost what they cost on a one-processor machine.
wineserver -k 2>/dev/null || true
xvfb-run -a -s '-screen 0 1024x768x24' bash -c '
  taskset -c "$1" wineserver -p && shift && python3 bench/measure.py "$@"; rc=$?
  wineserver -k 2>/dev/null; exit $rc' measure "$BENCH_CPU" \
  --bench-dir "$BENCH_DIR" --cpu "$BENCH_CPU" ${rounds:+--rounds "$rounds"} --trash "$TRASH" \
  --out "$BENCH_DIR/RESULTS.md" "${presets[@]}"
if [ "$save" -eq 1 ]; then cp "$BENCH_DIR/RESULTS.md" bench/RESULTS.md; fi
step "removing the targets of the runs"
rm -rf "$TRASH"
step "done; the table is $BENCH_DIR/RESULTS.md"
