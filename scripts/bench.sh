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
