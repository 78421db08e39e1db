#!/usr/bin/env bash
# Builds everything: the screen saver, its compressed payload, Install.exe and the test programs.
# The release artifact is build/release/Install.exe.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QK_BUILD_DIR:-$top/build}

"$top/tools/setup.sh"
cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw.cmake" \
  -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" -j"$(nproc)"
total=$(stat -c %s "$build/release/Install.exe")
raw=$(stat -c %s "$build/saver/QKScreensaver.exe")
compressed=$(stat -c %s "$build/payload.szdd")
echo "sizes: installer code $((total - compressed)), payload raw $raw, compressed $compressed, Install.exe $total bytes (budget 65536)"
echo "Install.exe sha256 $(sha256sum "$build/release/Install.exe" | cut -d' ' -f1)"
