#!/usr/bin/env bash
# The largest product that installs: for each size, a product of that many MiB, its payload, the
# packing tool's verdict, Setup.exe with the payload linked in at build time, and unattended
# installations of it into a fresh target, with the exit code, the log's last line, the peak
# memory of the installer's process and the wall time. Everything of one size is deleted before
# the next is made.
#
# usage: bash bench/scale.sh [--kind random|text|mixed] [--installs N] [--packer-exe] SIZE_MIB...
#   --kind        the products' content: random (incompressible, the default), text (compresses
#                 about 4:1) or mixed (as the benchmark's products)
#   --installs    installations of each size (default 1)
#   --packer-exe  also make the finished installer with the Win32 packing tool (under Wine)
# The payload is written by bench/scale_payload.py, which has no size limit, so sizes the packing
# tool refuses can be tried as well. Needs up to 4 times the largest size in free disk (product,
# payload, installer, installed files) and, for the build-time link, about 4 times it in memory.
# Run bench/run.sh once first (it installs the dependencies and makes the Wine template).
# Environment: BENCH_DIR (default build/bench).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

kind=random
installs=1
packer_exe=0
sizes=()
while [ $# -gt 0 ]; do
  case $1 in
    --kind) kind=$2; shift 2 ;;
    --installs) installs=$2; shift 2 ;;
    --packer-exe) packer_exe=1; shift ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    [0-9]*) sizes+=("$1"); shift ;;
    *) echo "unknown argument: $1 (see --help)" >&2; exit 2 ;;
  esac
done
[ ${#sizes[@]} -gt 0 ] || { echo "give at least one size in MiB (see --help)" >&2; exit 2; }

BENCH_DIR=${BENCH_DIR:-$root/build/bench}
SCALE_DIR=$BENCH_DIR/scale
WIN32_BUILD=$BENCH_DIR/win32
LINK_BUILD=$BENCH_DIR/win32-scale
NATIVE_BUILD=$BENCH_DIR/native
version=1.6.0003.0000.0035
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" WINEPREFIX=$SCALE_DIR/prefix

toolchain=$root/cmake/toolchain-i686-w64-mingw32.cmake
cmake -S . -B "$WIN32_BUILD" --toolchain "$toolchain" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$WIN32_BUILD" -j2 --target Setup packer runexit >/dev/null
cmake -S . -B "$NATIVE_BUILD" -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$NATIVE_BUILD" -j2 --target packer >/dev/null
# Setup.exe with the payload of the size being tried, linked in at build time.
cmake -S . -B "$LINK_BUILD" --toolchain "$toolchain" -DCMAKE_BUILD_TYPE=Release \
  "-DSETUP_PAYLOAD=$SCALE_DIR/payload.bin" >/dev/null

rm -rf "$SCALE_DIR"
mkdir -p "$SCALE_DIR"
bash tests/wine/make-prefix.sh "$BENCH_DIR/wine-template" "$WINEPREFIX"
ln -sfn "$SCALE_DIR" "$WINEPREFIX/drive_c/scale"

# peak_of NAME OUT : until killed, writes to OUT the largest VmHWM (KiB) of the Wine process
# whose program is NAME. Wine may start a large program in a process of its own, so the process
# is looked for instead of being measured through its parent.
peak_of() {
  local peak=0 pid hwm
  while true; do
    for pid in $(pgrep -f "$1" || true); do
      [ "$({ tr '\0' '\n' <"/proc/$pid/cmdline"; } 2>/dev/null | head -n 1)" == "C:\\scale\\$1" ] ||
        continue
      hwm=$(sed -n 's/^VmHWM:\s*\([0-9]*\).*/\1/p' "/proc/$pid/status" 2>/dev/null || true)
      [ -n "$hwm" ] && [ "$hwm" -gt "$peak" ] && peak=$hwm && echo "$peak" >"$2"
    done
    sleep 0.05
  done
}

rows=()
for size in "${sizes[@]}"; do
  dir=$SCALE_DIR/$size
  echo "== $kind $size MiB"
  python3 bench/make_product.py scale "$dir" --size-mb "$size" --kind "$kind" >/dev/null
  python3 bench/scale_payload.py "$dir/product" "$dir/product.list" bench/appConfig.xml Norvane \
    "$version" "$SCALE_DIR/payload.bin"
  read -r archive stream < <(python3 -c 'import struct,sys; print(*struct.unpack("<II", open(sys.argv[1], "rb").read(8)))' "$SCALE_DIR/payload.bin")

  packer_args=(--name Norvane --version "$version" --config bench/appConfig.xml)
  if "$NATIVE_BUILD/tools/packer/packer" "${packer_args[@]}" --product "$dir/product" \
      --list "$dir/product.list" --payload "$dir/packed.bin" >"$dir/packer.out" 2>&1; then
    verdict="packs"
  else
    verdict="refused"
  fi
  echo "   packing tool: $(cat "$dir/packer.out")"
  rm -f "$dir/packed.bin"

  win32_packer="-"
  if [ "$packer_exe" -eq 1 ]; then
    cp "$WIN32_BUILD/Installer/Setup.exe" "$SCALE_DIR/Empty.exe"
    if wine "$WIN32_BUILD/tools/packer/packer.exe" "${packer_args[@]}" \
        --product "C:\\scale\\$size\\product" --list "C:\\scale\\$size\\product.list" \
        --installer 'C:\scale\Empty.exe' --output 'C:\scale\Finished.exe' >"$dir/packer-exe.out" 2>&1; then
      win32_packer="makes it"
    else
      win32_packer="fails"
    fi
    # A server started without a display would break the installer's run on the display below.
    wineserver -k 2>/dev/null || true
    echo "   Win32 packing tool: $(tr -d '\r' <"$dir/packer-exe.out")"
    rm -f "$SCALE_DIR/Finished.exe" "$SCALE_DIR/Empty.exe"
  fi

  cmake --build "$LINK_BUILD" -j2 --target Setup >"$dir/link.out" 2>&1 ||
    { echo "   linking the payload failed:"; tail -5 "$dir/link.out"; exit 1; }
  rm -rf "$dir/product"
  # The linked installer and the compiled resource are as large as the payload: neither stays.
  mv "$LINK_BUILD/Installer/Setup.exe" "$SCALE_DIR/ScaleSetup.exe"
  rm -f "$SCALE_DIR/payload.bin" "$LINK_BUILD/Installer/CMakeFiles/Setup.dir/Payload.rc.res"

  for run in $(seq 1 "$installs"); do
    target=$WINEPREFIX/drive_c/T
    rm -rf "$target"
    rm -f "$dir/peak"
    peak_of ScaleSetup.exe "$dir/peak" &
    sampler=$!
    # The wall time of the installer's run through runexit, which starts it and waits for it.
    xvfb-run -a -s '-screen 0 1024x768x24' bash -c '
      wineserver -p
      start=$(date +%s%N)
      wine "$1" 900 "C:\\scale\\ScaleSetup.exe" "-dC:\\T" "-lC:\\T\\Logs" >"$2" 2>/dev/null
      echo $((($(date +%s%N) - start) / 1000000)) >"$3"
      wineserver -k' install "$WIN32_BUILD/tests/runexit.exe" "$dir/runexit.out" "$dir/wall"
    wall_ms=$(cat "$dir/wall")
    kill "$sampler" 2>/dev/null; wait "$sampler" 2>/dev/null || true
    code=$(sed -n 's/.*exit=\([0-9a-z-]*\).*/\1/p' "$dir/runexit.out" | tail -n 1)
    # The outcome sentence, and for a failed run the line before it, which names the cause.
    lines=1
    [ "$code" == 0 ] || lines=2
    last=$(cat "$target"/Logs/*.log 2>/dev/null | tr -d '\r' | grep -v '^\s' | cut -c21- |
           grep -vE '^$|^(Enter|Leave) function' | tail -n "$lines" | paste -sd ' ' || true)
    peak=$(cat "$dir/peak" 2>/dev/null || echo 0)
    wall=$(printf '%d.%d s' $((wall_ms / 1000)) $((wall_ms % 1000 / 100)))
    printf '   install %d: exit %s, %s, peak %d MiB: %s\n' "$run" "$code" "$wall" $((peak / 1024)) "$last"
    rows+=("$(printf '| %s | %d | %d | %d | %s | %s | %s | %d MiB | %s | %s |' "$kind" "$size" \
      "$archive" "$stream" "$verdict" "$win32_packer" "$code" $((peak / 1024)) "$wall" "$last")")
    rm -rf "$target"
  done
  rm -rf "$dir" "$SCALE_DIR/ScaleSetup.exe"
done
WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null || true
rm -rf "$SCALE_DIR"

echo
echo "| kind | MiB | archive bytes | stream bytes | packing tool | Win32 packing tool | exit | peak | time | outcome in the log |"
echo "|---|---|---|---|---|---|---|---|---|---|"
printf '%s\n' "${rows[@]}"
