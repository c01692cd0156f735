#!/usr/bin/env bash
# Replays each fuzz target's saved corpus once through the target, built
# natively with ASan and UBSan (the fuzz_replays target of the native build
# folder given as $1). Seconds, not minutes: a fault once found stays fixed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
native="$1"
status=0
for replay in "$native"/fuzz/fuzz_*_replay; do
  target="$(basename "$replay" _replay)"
  if ! "$replay" "$root/fuzz/corpus/$target"; then
    echo "FAILED: $target"
    status=1
  fi
done
exit $status
