#!/usr/bin/env bash
# Builds Varnik.exe and starts it under Wine on a demo Jw_cad folder.
# With a display the window opens for you; without one it runs under Xvfb,
# saves a screenshot of the main window in the build folder and closes.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
./scripts/setup.sh
build="$root/build/win"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
cmake --build "$build" --target Varnik -j"$(nproc)"

demo="$root/build/demo"
rm -rf "$demo"
./scripts/demo-folder.sh "$demo" "$build/app/Varnik.exe" >/dev/null
winpath() { echo "Z:$(echo "$1" | sed 's#/#\\#g')"; }

export ZEL_BUILD_DIR="$build"
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
zel_wine_init

# The demo Jw_cad folder goes into the settings so the folder box shows it.
jww="$(winpath "$demo/jww")"
{
  echo "[Varnik設定ファイル 書き込み順をかえないでね。(^^;]"
  echo "editor=Notepad"
  echo "jwwfolder=$jww"
} | sed 's/$/\r/' | iconv -f UTF-8 -t CP932 > "$demo/prog/Varnik.ini.head"
# Only the head is given: Varnik fills every other value with its defaults
# and writes the whole file when it closes.
mv "$demo/prog/Varnik.ini.head" "$demo/prog/Varnik.ini"

folder="$(winpath "$demo/gaihen")"
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Starting Varnik on $folder"
  exec wine "$demo/prog/Varnik.exe" "$folder"
fi

shot="$build/varnik-demo.png"
xvfb-run -a -s "-screen 0 1280x900x24" bash -c '
  set -e
  wine "$1" "$2" &
  for i in $(seq 1 120); do
    id=$(xdotool search --name "^Zelvanto$" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && break
    sleep 0.5
  done
  [ -n "$id" ] || { echo "Varnik did not open its window" >&2; wineserver -k; exit 1; }
  sleep 2
  import -window "$id" "$3"
  xdotool windowclose "$id" >/dev/null 2>&1 || true
  sleep 1
  wineserver -k || true
' _ "$demo/prog/Varnik.exe" "$folder" "$shot"
echo "Screenshot of the main window: $shot"
