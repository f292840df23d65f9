#!/usr/bin/env bash
# The whole test suite: native codec and packer tests with a short fuzz run, then the Win32
# unit tests and end-to-end scenarios under Wine, inside a virtual X display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
ctest --preset native
# A wineserver started without a display breaks later GUI programs of the same prefix, so the
# whole Win32 run, prefix creation included, happens inside one Xvfb session.
xvfb-run -a -s '-screen 0 1024x768x24' ctest --preset win32
