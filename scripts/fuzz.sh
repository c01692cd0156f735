#!/usr/bin/env bash
# Fuzzes every reader and transformer of file and user text with libFuzzer
# (clang, with ASan and UBSan), each for SECONDS seconds (default 60):
#   ./scripts/fuzz.sh [SECONDS] [TARGET...]
# Each target starts from its seed corpus in fuzz/corpus/<target> and keeps
# what it finds in build/fuzz/corpus/<target>; a crash, leak or sanitizer
# report stops it and leaves the input in build/fuzz/crashes/. Copy such an
# input into fuzz/corpus/<target> once the fault is fixed: the ordinary test
# run replays that corpus, so the fault stays fixed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
seconds="${1:-60}"
shift || true

need=(clang libclang-rt-14-dev cmake)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

build="$root/build/fuzz"
targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
  mapfile -t targets < <(cd fuzz && ls fuzz_*.cpp | sed 's/\.cpp$//')
fi
CC=clang CXX=clang++ cmake -S . -B "$build" -DZEL_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

status=0
for t in "${targets[@]}"; do
  work="$build/corpus/$t"
  crashes="$build/crashes/$t/"
  mkdir -p "$work" "$crashes"
  echo "== $t ($seconds s)"
  if ! "$build/fuzz/$t" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=4096 \
       -artifact_prefix="$crashes" "$work" "fuzz/corpus/$t" 2>"$build/$t.log"; then
    status=1
    echo "   FAILED: see $build/$t.log and $crashes"
  fi
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$build/$t.log" | sed 's/^/   /'
done
exit $status
