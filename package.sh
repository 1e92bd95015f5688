#!/usr/bin/env bash
# Set up, build, and make the Debian package in build/package/.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/tools/setup.sh"
cd "$here/build"
cpack -G DEB
ls -1 "$here"/build/package/*.deb
