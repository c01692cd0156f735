#!/usr/bin/env bash
# Builds a release of Varnik.exe and Pocklet.exe (optimised, no symbols,
# with their icons and version information) and packs it into dist/:
#   dist/Zelvanto-<version>.zip          the portable zip
#   dist/Zelvanto-<version>-setup.exe    the installer (NSIS)
# Installs what it needs from Debian's packages when it is missing.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

"$root/scripts/setup.sh"
need=(nsis zip)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  echo "package: installing ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The version the programs carry in their version information.
version="$(sed -n 's/.*VALUE "FileVersion", "\([0-9.]*\)".*/\1/p' app/varnik.rc | head -n1)"
[ -n "$version" ] || { echo "package: no FileVersion in app/varnik.rc" >&2; exit 1; }

build="$root/build/release"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target Varnik Pocklet

dist="$root/dist"
name="Zelvanto-$version"
stage="$dist/stage/$name"
rm -rf "$dist/stage" "$dist/$name.zip" "$dist/$name-setup.exe"
mkdir -p "$stage"
cp "$build/app/Varnik.exe" "$build/tray/Pocklet.exe" "$stage/"
# The read-me as Japanese Windows reads a text file without asking: code
# page 932 with CR LF.
sed "s/@VERSION@/$version/" packaging/readme.txt | sed 's/$/\r/' | iconv -f UTF-8 -t CP932 > "$stage/readme.txt"

(cd "$dist/stage" && zip -q -X -r "$dist/$name.zip" "$name")

cp res/app.ico "$dist/stage/app.ico"
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DICON="$dist/stage/app.ico" \
  -DOUTFILE="$dist/$name-setup.exe" packaging/installer.nsi

echo "package: $dist/$name.zip"
echo "package: $dist/$name-setup.exe"
ls -l "$stage/Varnik.exe" "$stage/Pocklet.exe" "$dist/$name.zip" "$dist/$name-setup.exe"
