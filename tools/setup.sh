#!/usr/bin/env bash
# Shared by run.sh, test.sh, bench.sh and package.sh: install missing Debian packages, then
# configure and build. Safe to run again: apt-get only runs when something is missing.
#
#   tools/setup.sh [CMAKE_ARGS...]            build/: RelWithDebInfo, with the tests
#   tools/setup.sh --release [CMAKE_ARGS...]  build-release/: Release with Debian's build flags
#                                             (hardening included), without the tests
#
# CMAKE_ARGS (such as -DSAPLOGON_MAINTAINER=...) are passed on when configuring.
set -euo pipefail
cd "$(dirname "$0")/.."

release=false
if [ "${1:-}" = "--release" ]; then
    release=true
    shift
fi

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

if $release; then
    # Configured every time, so that the flags follow dpkg's. The Release type's own -O3 gives
    # way to dpkg's -O2, which _FORTIFY_SOURCE needs as much as any optimisation.
    flag() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
    cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_CXX_FLAGS="$(flag CPPFLAGS) $(flag CXXFLAGS)" \
        -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG \
        -DCMAKE_EXE_LINKER_FLAGS="$(flag LDFLAGS)" \
        -DSAPLOGON_BUILD_TESTS=OFF "$@"
    cmake --build build-release -j"$(nproc)"
    exit
fi

if [ ! -f build/build.ninja ] || [ $# -gt 0 ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
fi
cmake --build build -j"$(nproc)"
