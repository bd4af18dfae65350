#!/bin/bash
# Runs the distribution's main job in a fresh Wine prefix: an unattended SMS
# install from the sample SETUP.ICF, a look at what it installed, then an SMS
# removal and a look at what is left.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
prefix="$build/demo-prefix"
wine=/usr/lib/wine/wine64

"$root/tools/install-deps.sh" || exit 1
if [ ! -f "$build/dist/setup.exe" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null && cmake --build "$build" -j2 >/dev/null || exit 1
fi

"$root/tools/wine-prefix.sh" start "$prefix" || exit 1
trap '"$root/tools/wine-prefix.sh" stop "$prefix"' EXIT
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="ctl3d32=n;mscoree=;mshtml="
drive_c="$prefix/drive_c"

section() { printf '\n=== %s ===\n' "$1"; }
run_setup() {
  # The frame's trace lines go to standard output; keep them out of the way.
  (cd "$build/dist" && "$wine" setup.exe "$@" >"$build/demo-setup-trace.txt" 2>/dev/null)
  echo "setup.exe $* ended with exit code $?"
}
show_state() {
  section "Files in C:\\DORURE"
  ls -l "$drive_c/DORURE" 2>/dev/null || echo "(no directory C:\\DORURE)"
  section "Registry: HKLM\\SOFTWARE\\Tamarack"
  local keys
  keys="$("$wine" reg query 'HKLM\SOFTWARE\Tamarack' /s 2>/dev/null | tr -d '\r' | sed '/^$/d')"
  # The login and password are stored scrambled: show their bytes instead.
  printf '%s\n' "${keys:-(no key HKLM\SOFTWARE\Tamarack)}" | LC_ALL=C sed -E 's/^( +(user|password) +REG_SZ).*/\1    (scrambled)/' 
  section "Services"
  for service in KvaRpcService KvaBrdService; do
    "$wine" sc query "$service" 2>/dev/null | tr -d '\r' | grep -E 'SERVICE_NAME|STATE' \
      || echo "$service: not installed"
  done
  section "Programs and Features"
  "$wine" uninstaller --list 2>/dev/null | tr -d '\r' | grep . || echo "(no entry)"
  "$wine" reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Dorure60Agent' 2>/dev/null \
    | tr -d '\r' | sed '/^$/d' | grep -v '^reg:'
  ls "$drive_c/Program Files/Tamarack/Dorure60 Setup" 2>/dev/null | sed 's/^/kept for the removal: /'
  section "Start Menu"
  local links
  links="$(find "$drive_c/ProgramData" -ipath '*start menu*' -iname '*.lnk' 2>/dev/null | sed "s|$drive_c|C:|")"
  printf '%s\n' "${links:-(no shortcut)}"
}

section "Distribution"
ls "$build/dist"
section "Sample configuration SETUP.ICF"
tr -d '\r' <"$build/dist/SETUP.ICF"

section "SMS install"
run_setup SMSINSTALL
section "Status MIF C:\\windows\\DORURE60.MIF (status and description)"
tr -d '\r' <"$drive_c/windows/DORURE60.MIF" | sed -n '/InstallStatus/,$p' | grep VALUE
section "Log C:\\SETUPKVA.LOG"
tr -d '\r' <"$drive_c/SETUPKVA.LOG"
show_state
if [ -f "$drive_c/DORURE/dorure60.log" ]; then
  section "Agent service log C:\\DORURE\\dorure60.log"
  tr -d '\r' <"$drive_c/DORURE/dorure60.log"
fi

section "SMS removal"
run_setup SMSUNINSTALL
section "Status MIF after the removal (status and description)"
tr -d '\r' <"$drive_c/windows/DORURE60.MIF" | sed -n '/InstallStatus/,$p' | grep VALUE
show_state
