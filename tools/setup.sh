#!/usr/bin/env bash
# Shared by run.sh, test.sh and bench.sh: install missing Debian packages, then configure and
# build into build/. Safe to run again: apt-get only runs when something is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(qt6-base-dev libqt6svg6 cmake ninja-build g++ ca-certificates fonts-liberation
          desktop-file-utils appstream dpkg-dev file man-db lintian devscripts)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ ! -f build/build.ninja ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j"$(nproc)"
