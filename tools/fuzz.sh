#!/usr/bin/env bash
# Fuzzes the SZDD encoder's round trip with libFuzzer for longer than the test run does.
#   tools/fuzz.sh [SECONDS]      (default 600; the corpus is kept in build/fuzz-corpus)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${QK_BUILD_DIR:-$top/build}
mkdir -p "$out/fuzz-corpus"
clang++ -O1 -g -fsanitize=fuzzer,address,undefined -o "$out/szdd_fuzz" "$top/tools/szdd/fuzz.cpp" "$top/tools/szdd/szdd.cpp"
exec "$out/szdd_fuzz" -max_total_time="${1:-600}" -max_len=65536 "$out/fuzz-corpus"
