#!/usr/bin/env bash
# The release as a user gets it: builds it with scripts/package.sh, then
#  - both programs import only DLLs that every Windows has,
#  - the zip holds the two programs, byte for byte as built, and the
#    read-me in code page 932 with CR LF, and nothing else,
#  - the installer installs silently into the folder it is given, with its
#    Start-menu shortcuts, and the uninstaller removes the programs and the
#    shortcuts but leaves the settings, the history, the caches and the
#    backups Varnik kept beside itself.
# Runs under the test run's Wine prefix and display (WINEPREFIX, DISPLAY).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
fail=0
check() {  # check "what" command...
  local what="$1"; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; fail=1; fi
}

"$root/scripts/package.sh" >/dev/null
version="$(sed -n 's/.*VALUE "FileVersion", "\([0-9.]*\)".*/\1/p' "$root/app/varnik.rc" | head -n1)"
name="Zelvanto-$version"
dist="$root/dist"
stage="$dist/stage/$name"

# Imports: the system's own DLLs only (nothing of the compiler's beside them).
system_dll='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|shlwapi|advapi32|ole32|oleaut32|uxtheme|version|msvcrt|imm32|winmm|dwmapi|shcore|api-ms-win-[a-z0-9-]+)\.dll$'
for exe in Varnik.exe Pocklet.exe; do
  mapfile -t dlls < <(x86_64-w64-mingw32-objdump -p "$stage/$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
  check "$exe imports DLLs (${dlls[*]})" test "${#dlls[@]}" -gt 0
  for d in "${dlls[@]}"; do
    check "$exe imports only system DLLs: $d" grep -Eq "$system_dll" <<<"$d"
  done
  # DLLs loaded on first call (delay imports) or by name are listed in no
  # import table; their names stand in the program as text.
  mapfile -t named < <(x86_64-w64-mingw32-strings -a "$stage/$exe" | grep -iE '^[a-z0-9_+.-]+\.dll$' | tr 'A-Z' 'a-z' | sort -u)
  for d in "${named[@]}"; do
    check "$exe names only system DLLs: $d" grep -Eq "$system_dll" <<<"$d"
  done
  size=$(stat -c %s "$stage/$exe")
  check "$exe is under 2 MB ($size bytes)" test "$size" -lt 2000000
  check "$exe carries no symbols" bash -c "! x86_64-w64-mingw32-objdump -h '$stage/$exe' | grep -q '\.debug_'"
done

# The zip.
listing="$(cd "$dist" && unzip -Z1 "$name.zip" | sort | tr '\n' ' ')"
check "zip holds the programs and the read-me: $listing" \
  test "$listing" = "$name/ $name/Pocklet.exe $name/Varnik.exe $name/readme.txt "
unpacked="$(mktemp -d)"
trap 'rm -rf "$unpacked"' EXIT
(cd "$unpacked" && unzip -q "$dist/$name.zip")
for f in Varnik.exe Pocklet.exe; do
  check "zip's $f is the one built" cmp -s "$unpacked/$name/$f" "$root/build/release/$( [ $f = Varnik.exe ] && echo app || echo tray)/$f"
done
readme="$unpacked/$name/readme.txt"
check "read-me is code page 932" bash -c "iconv -f CP932 -t UTF-8 '$readme' | grep -q 'Varnik.exe'"
check "read-me is Japanese" bash -c "iconv -f CP932 -t UTF-8 '$readme' | grep -q '使い方'"
check "read-me has CR LF line ends only" bash -c "[ \$(grep -c \$'\r\$' '$readme') -eq \$(wc -l < '$readme') ]"

# The installer, silently, into a folder of the test's own.
# No blank in it: NSIS reads /D= only when the argument is not quoted.
inst_unix="$unpacked/インストール先"
inst="$(winepath -w "$inst_unix")"
setup="$dist/$name-setup.exe"
check "installer ends with 0" wine "$setup" /S "/D=$inst"
timeout 120 wineserver -w || true
for f in Varnik.exe Pocklet.exe readme.txt uninstall.exe; do
  check "installed $f" test -f "$inst_unix/$f"
done
check "installed Varnik.exe is the one built" cmp -s "$inst_unix/Varnik.exe" "$stage/Varnik.exe"
appdata="$(winepath -u "$(wine cmd /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')")"
menu="$appdata/Microsoft/Windows/Start Menu/Programs/Zelvanto"
for l in Zelvanto.lnk Pocklet.lnk; do
  check "Start-menu shortcut $l" test -f "$menu/$l"
done

# What Varnik keeps beside itself, then the uninstaller.
mkdir -p "$inst_unix/JWF_BACKUPs"
printf 'user settings\r\n' > "$inst_unix/Varnik.ini"
printf 'TempbakbatNp=1\r\n' > "$inst_unix/Taskmnu.ini"
printf '@echo off\r\n' > "$inst_unix/TTemp1.bat"
printf 'C:\\JWW\\GAIHEN\r\n' > "$inst_unix/tree_cbat.dat"
printf 'backup\r\n' > "$inst_unix/JWF_BACKUPs/20261208120000.jwf"
keep=(Varnik.ini Taskmnu.ini TTemp1.bat tree_cbat.dat JWF_BACKUPs/20261208120000.jwf)
sums_before="$(cd "$inst_unix" && md5sum "${keep[@]}")"
check "uninstaller ends with 0" wine "$inst\\uninstall.exe" /S
# It runs on from a copy of itself in the temporary folder.
timeout 120 wineserver -w || true
for f in Varnik.exe Pocklet.exe readme.txt uninstall.exe; do
  check "uninstalled $f" test ! -e "$inst_unix/$f"
done
check "Start-menu folder removed" test ! -e "$menu"
check "user files left as they were" bash -c "cd '$inst_unix' && [ \"\$(md5sum ${keep[*]})\" = '$sums_before' ]"

exit $fail
