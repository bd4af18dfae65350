#!/bin/bash
# Installs what the build needs, builds the distribution and every test,
# and runs all tests under Wine in a fresh prefix.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"

"$root/tools/install-deps.sh"

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2

"$root/tools/wine-prefix.sh" start "$build/wineprefix"
trap '"$root/tools/wine-prefix.sh" stop "$build/wineprefix"' EXIT
cd "$build"
ctest --output-on-failure --timeout 300 "$@"
