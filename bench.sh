#!/usr/bin/env bash
# Set up, build, and run every benchmark (or those named: ./bench.sh bench_document).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/tools/setup.sh"
export QT_QPA_PLATFORM=offscreen
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    for b in "$here"/bench/bench_*.cpp; do
        [ -e "$b" ] && names+=("$(basename "$b" .cpp)")
    done
fi
for n in "${names[@]}"; do
    echo "== $n"
    "$here/build/bench/$n"
done
