#!/usr/bin/env bash
# Builds the benchmarks natively with optimisation and runs each; every one
# prints its ratio against a floor measured in the same run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
./scripts/setup.sh
build="$root/build/bench"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target $(cd bench && ls *.cpp | sed 's/\.cpp$//')
for b in "$build"/bench/bench_*; do
  echo "== $(basename "$b")"
  "$b"
done

# Starting Varnik.exe under Wine against a bare list window: a release
# build for Windows, run on a display of its own.
winbuild="$root/build/bench-win"
cmake -S . -B "$winbuild" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$winbuild" -j"$(nproc)" --target bench_startup
export WINEPREFIX="$winbuild/wineprefix"
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
zel_wine_init
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -w
echo "== bench_startup (under Wine)"
xvfb-run -a -s "-screen 0 1280x1024x24" wine "$winbuild/bench/win/bench_startup.exe" "${ZEL_BENCH_ROUNDS:-15}"
wineserver -k 2>/dev/null || true
