#!/usr/bin/env bash
# Builds the product and runs every test: the resources of Install.exe, the payload extraction,
# and the real Install.exe driven inside a throwaway Wine prefix under Xvfb.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
export QK_BUILD_DIR=${QK_BUILD_DIR:-$top/build}

"$top/tools/build.sh"
cd "$top/tests"
exec /usr/bin/python3 -m pytest -p no:cacheprovider -v "$@"
