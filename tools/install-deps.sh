#!/bin/bash
# Installs the Debian packages the build and the tests need, when missing.
set -euo pipefail
# clang and its runtime libraries (libFuzzer, the sanitizers) build the fuzz targets.
packages=(cmake make g++-mingw-w64-x86-64-posix wine64 googletest locales clang libclang-rt-dev)
# Authenticode signatures: the build signs with osslsigncode when given a
# certificate; the signing check makes a throwaway one with openssl.
packages+=(osslsigncode openssl)
if [ "${1:-}" = "--pictures" ]; then
  packages+=(xvfb xauth fonts-wine imagemagick)
fi
# The other installers the benchmark compares with (makensis, wixl).
if [ "${1:-}" = "--bench" ]; then
  packages+=(nsis wixl)
fi
missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
if [ ${#missing[@]} -gt 0 ]; then
  "${as_root[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq "${missing[@]}"
fi
# The double-byte path tests run Wine under a Japanese locale: without it
# Wine cannot name files with non-ASCII characters.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  "${as_root[@]}" localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
