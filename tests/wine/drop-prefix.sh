#!/usr/bin/env bash
# Usage: drop-prefix.sh PREFIX — stops its server and deletes it (a prefix copy is about 1.3 GB).
set -u
prefix=$1
if [ -d "$prefix" ]; then
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
fi
exit 0
