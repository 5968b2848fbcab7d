#!/usr/bin/env bash
# Installs what is missing, builds the 32-bit program and starts it under Wine.
# With a display (DISPLAY set) the program simply runs there. Without one it runs on a private
# Xvfb, lists the icons of its default file (C:\WINDOWS\system32\shell32.dll in the Wine prefix),
# saves a screenshot of the main window to build/win32/screenshot.png, says where, and closes.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

scripts/install-deps.sh
cmake --preset win32 >/dev/null
cmake --build build/win32 -j2 --target IconExtractor demo_driver

export WINEPREFIX=$root/build/win32/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES=mscoree,mshtml=
# The Chinese texts need a Chinese locale for Wine to pick a CJK font.
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
exe=$root/build/win32/app/IconExtractor.exe
driver=$root/build/win32/app/demo_driver.exe

# Marlett in the prefix's font folder: Wine draws the caption buttons with it and does not find
# the copy that the fonts-wine package installs.
add_marlett() {
  local fonts=$WINEPREFIX/drive_c/windows/Fonts
  if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ ! -f "$fonts/marlett.ttf" ]; then
    mkdir -p "$fonts" && cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
  fi
}

if [ -n "${DISPLAY:-}" ]; then
  wineboot -i >/dev/null 2>&1 || true
  add_marlett
  exec wine "$exe"
fi

# A free display number of our own.
display=90
while [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ]; do
  display=$((display + 1))
done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
program_pid=
cleanup() {
  if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
  wineserver -k 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=":$display"
for _ in $(seq 100); do
  xdpyinfo >/dev/null 2>&1 && break
  sleep 0.1
done

# No window manager here: let Wine draw the title bar and frame itself.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
add_marlett

wine "$exe" &
program_pid=$!
if ! geometry=$(wine "$driver" list); then
  echo "run.sh: the program did not list its default file" >&2
  exit 1
fi
read -r left top width height items <<<"$(echo "$geometry" | tr -d '\r')"
shot=$root/build/win32/screenshot.png
import -window root -crop "${width}x${height}+${left}+${top}" +repage "$shot"
echo "run.sh: listed $items icons; screenshot of the main window saved to $shot"
wine "$driver" close
wait "$program_pid" || true
program_pid=
