#!/usr/bin/env bash
# Build the libFuzzer targets with clang into fuzz-build/ and run each one for a while.
#   ./fuzz.sh [SECONDS] [NAME...]     (default: 180 seconds, every fuzz/fuzz_*.cpp)
# Findings (crash-*, leak-*, timeout-*) are written to fuzz/findings/.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cd "$here"
seconds="${1:-180}"
shift || true
if ! command -v clang++ >/dev/null || [ ! -e /usr/lib/llvm-14/lib/clang/14.0.6/lib/linux/libclang_rt.fuzzer-x86_64.a ]; then
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends clang libclang-rt-14-dev
fi
if [ ! -f fuzz-build/build.ninja ]; then
    CXX=clang++ cmake -S . -B fuzz-build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSAPLOGON_BUILD_FUZZERS=ON
fi
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    for f in fuzz/fuzz_*.cpp; do names+=("$(basename "$f" .cpp)"); done
fi
cmake --build fuzz-build -j2 --target "${names[@]}"
mkdir -p fuzz/findings
for n in "${names[@]}"; do
    corpus="fuzz/corpus/$n"
    mkdir -p "$corpus"
    # Seed with the profile vectors and the examples, which show every encoding and oddity.
    if [ -d ../shared/profile-vectors/cases ]; then cp -n ../shared/profile-vectors/cases/* "$corpus"/ 2>/dev/null || true; fi
    cp -n examples/*.ini tests/document/data/*.ini "$corpus"/ 2>/dev/null || true
    echo "== $n for ${seconds}s"
    "fuzz-build/fuzz/$n" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
        -artifact_prefix=fuzz/findings/ "$corpus"
done
