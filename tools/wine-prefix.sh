#!/bin/sh
# Creates a fresh Wine prefix for a test or demo run, or stops it.
#   tools/wine-prefix.sh start PREFIX DRIVES_DIR
#   tools/wine-prefix.sh stop PREFIX
# The prefix gets the null display driver (no X needed) and the test drives:
# D: a second fixed drive, E: a removable one, N: a network one, G: a CD-ROM
# drive (tests make what they put there read-only, as on a disc), and, when
# run as root, F: a fixed drive of 1 MB that fills up (a tmpfs).
set -e
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
action="$1"
prefix="$2"
export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="

case "$action" in
start)
  drives="${3:-$prefix.drives}"
  "$WINESERVER" -k >/dev/null 2>&1 || true
  umount "$drives/f" >/dev/null 2>&1 || true
  rm -rf "$prefix" "$drives"
  mkdir -p "$prefix" "$drives/d" "$drives/e" "$drives/n" "$drives/g"
  # The server and Wine's background processes must not hold the caller's
  # pipes, or the test runner waits for them.
  setsid "$WINESERVER" -p </dev/null >/dev/null 2>&1
  setsid "$WINE" wineboot -i </dev/null >/dev/null 2>&1
  "$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
  "$WINE" reg add 'HKLM\Software\Wine\Drives' /v d: /d hd /f </dev/null >/dev/null 2>&1
  "$WINE" reg add 'HKLM\Software\Wine\Drives' /v e: /d floppy /f </dev/null >/dev/null 2>&1
  "$WINE" reg add 'HKLM\Software\Wine\Drives' /v n: /d network /f </dev/null >/dev/null 2>&1
  "$WINE" reg add 'HKLM\Software\Wine\Drives' /v g: /d cdrom /f </dev/null >/dev/null 2>&1
  ln -sfn "$drives/d" "$prefix/dosdevices/d:"
  ln -sfn "$drives/e" "$prefix/dosdevices/e:"
  ln -sfn "$drives/n" "$prefix/dosdevices/n:"
  ln -sfn "$drives/g" "$prefix/dosdevices/g:"
  mkdir -p "$drives/f"
  if [ "$(id -u)" -eq 0 ] && mount -t tmpfs -o size=1m tmpfs "$drives/f" 2>/dev/null; then
    "$WINE" reg add 'HKLM\Software\Wine\Drives' /v f: /d hd /f </dev/null >/dev/null 2>&1
    ln -sfn "$drives/f" "$prefix/dosdevices/f:"
  fi
  # Drive types are read when the mount manager starts: restart it.
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
  setsid "$WINESERVER" -p </dev/null >/dev/null 2>&1
  setsid "$WINE" wineboot </dev/null >/dev/null 2>&1
  # A desktop process that stays: otherwise every program starts one, which
  # holds the program's output pipe for a second after it ends.
  # It is started once wineboot's own desktop process has gone.
  sleep 2
  (setsid "$WINE" explorer.exe /desktop </dev/null >/dev/null 2>&1 &)
  sleep 1
  ;;
stop)
  "$WINESERVER" -k >/dev/null 2>&1 || true
  umount "${3:-$prefix.drives}/f" >/dev/null 2>&1 || true
  ;;
*)
  echo "usage: $0 start PREFIX [DRIVES_DIR] | stop PREFIX" >&2
  exit 2
  ;;
esac
