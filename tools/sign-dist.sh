#!/bin/bash
# Signs a distribution that is already built, in place: every program and
# library in it (with tools/sign.sh and its settings), then setup.inf and the
# SMS package definition are written again, since the signatures change the
# files' sizes. A release can so be signed on a machine of its own, away
# from the build.
# Usage: tools/sign-dist.sh DIST
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dist="${1:?names no distribution directory}"
shopt -s nullglob nocaseglob
"$root/tools/sign.sh" "$dist"/*.exe "$dist"/*.dll
# setup.inf keeps its files and their order; their sizes are measured again.
files=$(sed -n 's/^\([^;[][^,]*\), [0-9][0-9]*\r\{0,1\}$/\1/p' "$dist/setup.inf" | paste -sd, -)
cmake -DDIST="$dist" -DFILES="$files" -P "$root/agent/make_setup_inf.cmake"
for template in "$root"/agent/files/*.SMS.in; do
  name=$(basename "$template" .in)
  cmake -DINF="$dist/setup.inf" -DIN="$template" -DOUT="$dist/$name" -DFACTS="$root/cmake/product.cmake" \
    -P "$root/agent/make_package_definition.cmake"
done
