#!/bin/bash
# Takes the pictures of the interactive install for the documentation: the
# built setup.exe runs under a virtual X server with Wine's X11 driver, a
# small Windows program (tools/screenshot-driver) plays the administrator
# page by page, and this script pictures the screen each time it asks.
#
#   tools/screenshots.sh [-b BUILD_DIR] [-w WORK_DIR] [-o PICTURES_DIR] [-d DPI]
#
#   -b  the build whose dist/ is pictured (default: BUILD_DIR or <project>/build)
#   -w  where the driver, the Wine prefix and the logs go
#       (default: <BUILD_DIR>/pictures)
#   -o  where the PNG files go (default: <project>/docs/pictures, and
#       <project>/docs/pictures/<DPI>dpi for another DPI than 96)
#   -d  the screen's DPI: 96 (100 %, the default) or 144 (150 %)
# With SCREENSHOTS_WHOLE=1 the whole screen is also kept, in WORK_DIR, at
# each step.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
work=""
out="$root/docs/pictures"
wine=/usr/lib/wine/wine64
dpi=96
out_given=""

usage() {
  sed -n '7,16s/^# \{0,1\}//p' "$0" >&2
  exit 2
}
while getopts "b:w:o:d:h" option; do
  case "$option" in
  b) build="$OPTARG" ;;
  w) work="$OPTARG" ;;
  o) out="$OPTARG"; out_given=1 ;;
  d) dpi="$OPTARG" ;;
  *) usage ;;
  esac
done
case "$dpi" in
96) screen_size=1024x768 ;;
144) screen_size=1536x1152 ;;
*) usage ;;
esac
[ -n "$out_given" ] || [ "$dpi" -eq 96 ] || out="$out/${dpi}dpi"
shift $((OPTIND - 1))
[ $# -eq 0 ] || usage
build="$(cd "$build" 2>/dev/null && pwd)" || { echo "no build directory $build" >&2; exit 1; }
work="${work:-$build/pictures-$dpi}"

# Everything below runs on a virtual screen of its own, so the pictures have
# the same size wherever they are taken.
if [ -z "${SCREENSHOTS_ON_XVFB:-}" ]; then
  "$root/tools/install-deps.sh" --pictures || exit 1
  if [ ! -f "$build/dist/setup.exe" ]; then
    echo "$build/dist/setup.exe is missing: build the project first:" >&2
    echo "  cmake -S $root -B $build -DCMAKE_TOOLCHAIN_FILE=$root/cmake/mingw-w64-x86_64.cmake && cmake --build $build -j2" >&2
    exit 1
  fi
  mkdir -p "$work" "$out" || exit 1
  work="$(cd "$work" && pwd)"
  out="$(cd "$out" && pwd)"
  SCREENSHOTS_ON_XVFB=1 exec xvfb-run -a -s "-screen 0 ${screen_size}x24" \
    "$0" -b "$build" -w "$work" -o "$out" -d "$dpi"
fi

dist="$build/dist"
prefix="$work/pics-prefix"
driver="$work/screenshot-driver.exe"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="ctl3d32=n;mscoree=;mshtml="

# The driver plays the administrator with the scenario tests' robot.
x86_64-w64-mingw32-g++-posix -std=c++17 -O2 -Wall -static -I"$root/tests" -DSETUP_DIST_DIR='""' \
  -o "$driver" "$root/tools/screenshot-driver/driver.cpp" "$root/tests/robot/robot.cpp" || exit 1

"$root/tools/wine-prefix.sh" start "$prefix" || exit 1
result=1
# A prefix takes some 700 MB: it is kept only when something went wrong.
finish() {
  "$root/tools/wine-prefix.sh" stop "$prefix"
  [ "$result" -ne 0 ] || rm -rf "$prefix" "$prefix.drives"
}
trap finish EXIT
# The prefix is made for the null display driver; without the value, Wine
# draws on the X server. No window manager runs there, so Wine draws the
# captions and frames of the windows itself.
"$wine" reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# Wine's own fonts are not found in its data directory: without them the
# dialog font (Tahoma) falls back to a wider one, and the caption buttons,
# drawn with Marlett, show letters.
if [ -d /usr/share/wine/fonts ]; then
  cp /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/" || exit 1
fi
# Windows' own setting of the screen's DPI, read when Wine starts.
"$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
# The desktop process took its driver when the prefix started: start again.
/usr/lib/wine/wineserver -k >/dev/null 2>&1
/usr/lib/wine/wineserver -w >/dev/null 2>&1
setsid /usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1
setsid "$wine" wineboot </dev/null >/dev/null 2>&1

# Pictures one part of the screen: name left top width height.
take_picture() {
  local file="$out/$1.png"
  # The whole screen too, to see what a cropped picture left out.
  [ -z "${SCREENSHOTS_WHOLE:-}" ] || import -window root "$work/whole-$1.png"
  import -window root -crop "${4}x${5}+${2}+${3}" +repage "$file" || return 1
  # A gradient or a photograph in the picture may make it large; 256 colours
  # are plenty for dialogs.
  if [ "$(stat -c %s "$file")" -gt 150000 ]; then
    import -window root -crop "${4}x${5}+${2}+${3}" +repage -colors 256 "PNG8:$file" || return 1
  fi
  printf '%-22s %4sx%-4s %6s bytes\n' "$1.png" "$4" "$5" "$(stat -c %s "$file")"
}

dist_windows="Z:${dist//\//\\}"
coproc DRIVER { cd "$dist" && exec "$wine" "$driver" "$dist_windows" 2>"$work/driver-errors.txt"; }
driver_pid=$DRIVER_PID
exec {to_driver}>&"${DRIVER[1]}" {from_driver}<&"${DRIVER[0]}"
while IFS= read -r line <&"$from_driver"; do
  line="${line%$'\r'}"
  case "$line" in
  "SHOT "*)
    read -r _ name left top width height <<<"$line"
    take_picture "$name" "$left" "$top" "$width" "$height" || echo "cannot picture $name" >&2
    echo taken >&"$to_driver"
    ;;
  "DONE 0") result=0 ;;
  "DONE "*) echo "setup ended with exit code ${line#DONE }" >&2 ;;
  "FAIL "*) echo "${line#FAIL }" >&2 ;;
  esac
done
exec {to_driver}>&- {from_driver}<&-
wait "$driver_pid" 2>/dev/null
if [ "$result" -eq 0 ]; then
  echo "The pictures are in $out."
else
  echo "The install could not be played to its end; see above and $work/driver-errors.txt." >&2
fi
exit "$result"
