#!/bin/bash
# Installs what the build needs, builds the distribution and every test,
# runs all tests under Wine in a fresh prefix, then each fuzz target for a
# few seconds (tools/fuzz.sh) unless ctest arguments choose some tests.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"

"$root/tools/install-deps.sh"

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2
BUILD_DIR="$build" "$root/tools/fuzz.sh" --build-only

"$root/tools/wine-prefix.sh" start "$build/wineprefix"
trap '"$root/tools/wine-prefix.sh" stop "$build/wineprefix"' EXIT
(cd "$build" && ctest --output-on-failure --timeout 300 "$@")
# A chosen part of the suites (ctest arguments) runs without the fuzzers.
[ $# -gt 0 ] || BUILD_DIR="$build" "$root/tools/fuzz.sh"
