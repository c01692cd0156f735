#!/usr/bin/env bash
# Builds everything from a clean tree and runs every test:
#   1. the core tests natively, under ASan and UBSan, and every fuzz
#      target's saved corpus replayed once;
#   2. the core tests again and the window tests, built with mingw-w64 and
#      run under Wine (Japanese locale, fresh prefix, Xvfb);
#   3. the end-to-end tests: the real Varnik.exe under Wine.
# Ends with ctest's summary; any failure makes it exit non-zero.
# ZEL_KEEP_BUILD=1 keeps the build folders between runs (faster while
# developing); CI always starts clean.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
./scripts/setup.sh

native="$root/build/native"
win="$root/build/win"
if [ "${ZEL_KEEP_BUILD:-0}" != 1 ]; then
  rm -rf "$native" "$win"
fi
jobs="$(nproc)"

cmake -S . -B "$native" -DZEL_SANITIZE=ON >/dev/null
cmake --build "$native" -j"$jobs" --target core_tests fuzz_replays

cmake -S . -B "$win" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DZEL_NATIVE_BUILD_DIR="$native" >/dev/null
cmake --build "$win" -j"$jobs"

export ZEL_BUILD_DIR="$win"
export WINEPREFIX="$win/wineprefix"
rm -rf "$WINEPREFIX"
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
zel_wine_init
# No window manager runs on the test display. Windows that Wine hands to a
# window manager wait two seconds for it at every close; left unmanaged,
# they close at once.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -w

# One X server for the whole run; Wine's server is stopped before it goes.
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  status=0
  ctest --test-dir "$1" --output-on-failure --timeout 900 || status=$?
  wineserver -k 2>/dev/null || true
  exit $status
' _ "$win"
