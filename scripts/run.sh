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

# A complete settings file for the demo: the Jw_cad folder, the batch folder
# and one favourite-folder button registered for it.
jww="$(winpath "$demo/jww")"
folder="$(winpath "$demo/gaihen")"
{
  echo "[Varnik設定ファイル 書き込み順をかえないでね。(^^;]"
  echo "editor=Notepad"
  echo "jwwfolder=$jww"
  echo "gaihenfolder=$folder"
  printf '%s\n' "foldermove=0" "win=0" "Top=900" "Left=900" "Height=9600" "Width=13200"
  for pane in Treefont ListFont ComeFont; do
    italic=Italic; [ "$pane" = Treefont ] && italic=Itaric
    printf '%s\n' "${pane}Name=ＭＳ ゴシック" "${pane}Size=11.25" "${pane}Bold=False" "${pane}${italic}=False"
  done
  printf '%s\n' "Gawk=0" "Callwin=False" "ColumnHead1W=2600" "ColumnHead2W=1800" "ColumnHead3W=2300" \
    "ColumnPos=1 2 3     " "Frame2left=3300" "Frame3Top=4400" "TextPosL=False" "KeepJWCTEMP=False" \
    "Bootmode=0" "Layered=0" "Scomm49=  " "ADDline=" "Tools=20"
  printf '%s\n' "TOOLBUTTON----------1" "$folder,0" " 0 " "GAIHEN" "$folder" " 1 "
  for i in $(seq 2 20); do printf '%s\n' "TOOLBUTTON----------$i" "" "" "" "" " 0 "; done
  printf '%s\n' "Column1=タイトル" "Column2=ファイル名" "Column3=日付" "ColumnSortkey=0" "ColumnSortOrder=0"
} | sed 's/$/\r/' | iconv -f UTF-8 -t CP932 > "$demo/prog/Varnik.ini"

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
