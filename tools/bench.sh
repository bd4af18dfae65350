#!/bin/bash
# Builds the benchmarks and runs them under Wine in a prefix of their own.
#   tools/bench.sh [ROUNDS]   the installers side by side (default 5 rounds):
#                             a plain CopyFileA loop, the toolkit's copy,
#                             setup SMSINSTALL, NSIS 3 and msiexec, each with
#                             the same generated payload, then the product
#                             alone, the payload's install by the setup of
#                             the commit before the install record (built
#                             beside this one) and the rollback of the
#                             payload's install; every figure's median and
#                             its ratio to the CopyFileA loop
#   tools/bench.sh refresh    the destination page's disk-space refresh
# The payload (2,000 files, about 333 MB) is generated for the run and
# deleted at its end, with everything installed from it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build-bench}"
prefix="$build/bench-prefix"
mode="${1:-5}"

# makensis and wixl build the payload's installers here; nothing of theirs
# is kept.
"$root/tools/install-deps.sh" --bench

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DSETUP_BUILD_BENCH=ON -DSETUP_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null

# The setup of the commit before the install record, built beside this one,
# for the install figure before and after it.
before_rev="$(git -C "$root" log --diff-filter=A --format=%H -- setup/rollback/rollback.h | tail -1)"
before_src="$build/before-src"
if [ -n "$before_rev" ] && [ ! -d "$build/before/dist" ]; then
  rm -rf "$before_src"
  git -C "$root" worktree prune
  git -C "$root" worktree add -f --detach "$before_src" "$before_rev^" >/dev/null 2>&1
  cmake -S "$before_src" -B "$build/before" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DSETUP_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build/before" -j2 >/dev/null
  git -C "$root" worktree remove --force "$before_src"
fi

wine=/usr/lib/wine/wine64
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="ctl3d32=n;mscoree=;mshtml="
bench_root="$prefix/drive_c/bench"
cleanup() {
  rm -rf "$bench_root" "$prefix/drive_c/DORURE"
  "$root/tools/wine-prefix.sh" stop "$prefix"
}

if [ "$mode" = refresh ]; then
  "$root/tools/wine-prefix.sh" start "$prefix"
  trap cleanup EXIT
  cd "$build/benchbin" && "$wine" ./bench_toolkit.exe | tr -d '\r'
  exit 0
fi
rounds="$mode"
case "$rounds" in ''|*[!0-9]*) echo "usage: $0 [ROUNDS|refresh]" >&2; exit 2 ;; esac

# The payload, its two installers and a copy of it per figure and round.
need_mb=$(( 350 * (4 + 6 * rounds) + 1024 ))
free_mb=$(df -Pm "$build" | awk 'NR == 2 { print $4 }')
if [ "$free_mb" -lt "$need_mb" ]; then
  echo "bench: $need_mb MB of free disk space needed for $rounds rounds, $free_mb MB free" >&2
  exit 1
fi

"$root/tools/wine-prefix.sh" start "$prefix"
trap cleanup EXIT
mkdir -p "$bench_root"
cp -r "$build/dist" "$bench_root/dist"
cp -r "$build/dist" "$bench_root/product"
cp "$build/benchbin/bench_copy.exe" "$build/benchbin/bench_install.exe" "$bench_root/"
# The toolkit's libraries beside the copy program.
cp "$build/dist/"MS*STF.DLL "$bench_root/"
"$wine" "$bench_root/bench_install.exe" generate 'C:\bench' | tr -d '\r'
# The same distribution and payload with the earlier setup's programs.
if [ -d "$build/before/dist" ]; then
  cp -r "$bench_root/dist" "$bench_root/dist-before"
  cp "$build/before/dist/setup.exe" "$build/before/dist/"*.DLL "$bench_root/dist-before/"
fi

echo "building the NSIS installer and the Windows Installer package of the payload..."
makensis -V1 -DSOURCE="$bench_root/dist" -DOUTFILE="$bench_root/payload-nsis.exe" "$root/bench/payload.nsi"
(cd "$bench_root" && ls dist/pay*.dat \
  | wixl-heat -p dist/ --component-group Payload --var var.Source --directory-ref INSTALLDIR --win64 \
      >payload-files.wxs \
  && wixl -a x64 -D Win64=yes -D Source=dist -o payload.msi "$root/bench/payload.wxs" payload-files.wxs)

# Each round measures every figure once, in the same order; the file
# system's dirty pages are written out before each, so that no figure pays
# for the writing of the one before.
for round in $(seq 1 "$rounds"); do
  sync
  echo "round $round of $rounds"
  "$wine" "$bench_root/bench_install.exe" round 'C:\bench' "$round" | tr -d '\r'
done
"$wine" "$bench_root/bench_install.exe" report 'C:\bench' | tr -d '\r'
