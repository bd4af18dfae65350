#!/bin/bash
# Builds the benchmarks and runs them under Wine in a prefix of their own;
# prints each figure and its ratio against the plain Win32 way.
#   tools/bench.sh [copy|refresh|parts]   (no argument: copy and refresh)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build-bench}"
prefix="$build/bench-prefix"

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DSETUP_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target bench_toolkit -j2 >/dev/null

"$root/tools/wine-prefix.sh" start "$prefix"
trap '"$root/tools/wine-prefix.sh" stop "$prefix"' EXIT
cd "$build/benchbin"
SETUP_WINEPREFIX="$prefix" "$build/tools/wine-run" ./bench_toolkit.exe "$@" | tr -d '\r'
