#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine: the MinGW-w64 cross
# compilers, CMake, Wine (with its 32-bit half), Xvfb and the PE tooling. Where the machine cannot run
# 32-bit code itself, it registers qemu-i386 through binfmt_misc so that 32-bit Wine runs emulated.
# Safe to run again: every step checks first.
set -euo pipefail

SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo

need_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  printf '%s\n' "${missing[@]}"
}

native_i386() {
  # The loader only exists once some i386 package is installed; its exit tells whether 32-bit code runs.
  [ -x /lib/i386-linux-gnu/ld-linux.so.2 ] && /lib/i386-linux-gnu/ld-linux.so.2 --version >/dev/null 2>&1
}

register_qemu_i386() {
  [ -e /proc/sys/fs/binfmt_misc/register ] ||
    $SUDO mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && return 0
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' |
    $SUDO tee /proc/sys/fs/binfmt_misc/register >/dev/null
}

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  updated=
else
  updated=yes
fi

HOST_PACKAGES=(cmake make g++ gcc-mingw-w64-i686 g++-mingw-w64-i686 gcc-mingw-w64-x86-64
  g++-mingw-w64-x86-64 binutils-mingw-w64-i686 wine wine64 xvfb imagemagick
  python3 python3-pefile python3-pytest qemu-user-static mscompress clang libclang-rt-14-dev)
I386_PACKAGES=(wine32:i386 wine32-preloader:i386)

missing=$(need_packages "${HOST_PACKAGES[@]}" "${I386_PACKAGES[@]}" libc6:i386)
if [ -n "$missing" ]; then
  [ -n "$updated" ] && [ -n "$(find /var/lib/apt/lists -maxdepth 1 -name '*i386*Packages*' -print -quit 2>/dev/null)" ] ||
    $SUDO apt-get update -q
  # The 32-bit loader first: with it the machine can tell whether it runs 32-bit code itself, and
  # qemu is registered before the i386 packages' own scripts need it.
  # Should a package script there need 32-bit code already, register qemu and finish the install.
  $SUDO apt-get install -y -q --no-install-recommends qemu-user-static libc6:i386 ||
    { register_qemu_i386 && $SUDO apt-get install -y -q -f; }
  native_i386 || register_qemu_i386
  # shellcheck disable=SC2086
  $SUDO apt-get install -y -q --no-install-recommends $missing
fi
native_i386 || register_qemu_i386
native_i386 || { echo "setup: 32-bit programs still cannot run on this machine" >&2; exit 1; }
