#!/usr/bin/env bash
# Set up, build, and run the whole test suite.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/tools/setup.sh"
cd "$here/build"
ctest --output-on-failure -j"$(nproc)" "$@"
