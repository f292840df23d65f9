#!/usr/bin/env bash
# Installs what building and testing need on Debian 12; safe to run again (it only installs
# what is missing). Needs root (or sudo).
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

packages=(
  cmake make g++ clang libclang-rt-14-dev zlib1g-dev googletest python3
  python3-yaml python3-jsonschema
  g++-mingw-w64-i686 libz-mingw-w64-dev
  wine wine32:i386 wine64 xvfb xauth liblnk-utils imagemagick
  wixl msitools
  openssl osslsigncode
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

bash "$(dirname "$0")/enable-i386.sh"
