#!/usr/bin/env bash
# Makes sure this machine can start Debian's 32-bit Wine. Safe to run again. Needs root.
#
# Some virtual machines run 64-bit user code only: the kernel answers ENOEXEC to every i386
# program, so wine32 cannot start. There the 32-bit programs run under qemu's user-mode
# emulator, registered with binfmt_misc. Debian 12's own qemu (7.2) ignores the address hints
# that Wine's start-up reservation of the address space relies on, which costs about a minute
# of CPU per Wine process; the emulator of Debian 13's qemu-user starts Wine in about a second.
# It is a static program, so it runs on Debian 12 as it is: it is fetched from the same Debian
# mirror this machine already uses, through a private apt configuration that leaves the
# machine's own sources untouched.
set -euo pipefail

emulator_dir=/usr/local/lib/wine-i386-emulator
emulator="$emulator_dir/qemu-i386"
binfmt=/proc/sys/fs/binfmt_misc
entry="$binfmt/qemu-i386"
newer_suite=trixie

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

runs_i386() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }

registered_emulator() { sed -n 's/^interpreter //p' "$entry" 2>/dev/null; }

if [ -e "$entry" ] && [ "$(registered_emulator)" = "$emulator" ] && runs_i386; then
  exit 0
fi

# Another emulator registered for i386 (Debian 12's own, say) hides whether the kernel can run
# the programs itself: switch it off before asking.
if [ -e "$entry" ]; then
  echo 0 | $SUDO tee "$entry" >/dev/null
fi
if runs_i386; then
  exit 0
fi

echo "This kernel cannot run 32-bit programs; registering qemu's user-mode emulator for them."

fetch_emulator() {
  local mirror work
  mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' |
           awk -v suite="$(. /etc/os-release && echo "$VERSION_CODENAME")" \
               '$2 == suite { print $1; exit }')
  if [ -z "$mirror" ]; then
    echo "No Debian mirror found in this machine's apt sources." >&2
    return 1
  fi
  work=$(mktemp -d)
  trap 'rm -rf "$work"' RETURN
  mkdir -p "$work/lists/partial" "$work/archives/partial"
  echo "deb $mirror $newer_suite main" >"$work/sources.list"
  local apt_private=(
    -o "Dir::Etc::SourceList=$work/sources.list" -o "Dir::Etc::SourceParts=-"
    -o "Dir::State::Lists=$work/lists" -o "Dir::Cache::Archives=$work/archives"
    -o "Dir::Cache::pkgcache=" -o "Dir::Cache::srcpkgcache="
    -o "APT::Architecture=amd64" -o "APT::Architectures=amd64" -o "APT::Sandbox::User=root"
  )
  apt-get "${apt_private[@]}" update -qq
  (cd "$work" && apt-get "${apt_private[@]}" download -qq qemu-user)
  dpkg-deb -x "$work"/qemu-user_*.deb "$work/root"
  $SUDO install -D -m 0755 "$work/root/usr/bin/qemu-i386" "$emulator"
}

[ -x "$emulator" ] || fetch_emulator

mountpoint -q "$binfmt" || $SUDO mount -t binfmt_misc binfmt_misc "$binfmt"
[ -e "$entry" ] && echo -1 | $SUDO tee "$entry" >/dev/null
# 'F' opens the emulator now, so the registration also holds inside other mount namespaces.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
echo ":qemu-i386:M::$magic:$mask:$emulator:F" | $SUDO tee "$binfmt/register" >/dev/null

if ! runs_i386; then
  echo "32-bit programs still do not start, even under $emulator." >&2
  exit 1
fi
