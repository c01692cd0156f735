#!/usr/bin/env bash
# Fuzzes every reader and transformer of file and user text with libFuzzer
# (clang, with ASan and UBSan), each for SECONDS seconds (default 60), or
# with --runs N for N executions each:
#   ./scripts/fuzz.sh [SECONDS | --runs N] [TARGET...]
# Each target starts from its seed corpus in fuzz/corpus/<target> and keeps
# what it finds in build/fuzz/corpus/<target>; a crash, leak or sanitizer
# report stops it and leaves the input in build/fuzz/crashes/. Copy such an
# input into fuzz/corpus/<target> once the fault is fixed: the ordinary test
# run replays that corpus, so the fault stays fixed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
limit=(-max_total_time=60)
what="60 s"
if [ "${1:-}" = --runs ]; then
  limit=(-runs="$2"); what="$2 runs"; shift 2
elif [ -n "${1:-}" ]; then
  limit=(-max_total_time="$1"); what="$1 s"; shift
fi

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
  echo "== $t ($what)"
  if ! "$build/fuzz/$t" "${limit[@]}" -print_final_stats=1 -rss_limit_mb=4096 \
       -artifact_prefix="$crashes" "$work" "fuzz/corpus/$t" 2>"$build/$t.log"; then
    status=1
    echo "   FAILED: see $build/$t.log and $crashes"
  fi
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb|^Done [0-9]+ runs' "$build/$t.log" | sed "s/^/   /" || true
done
exit $status
