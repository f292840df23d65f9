#!/usr/bin/env bash
# Configures and builds both presets: the Win32 installer with its tests, and the native
# payload codec, packing tool and fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in native win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
