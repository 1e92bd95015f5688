#!/usr/bin/env bash
# Set up, build with Debian's build flags into build-release/, and make the Debian package in
# build-release/package/. Arguments go to CMake, for instance
#   ./package.sh -DSAPLOGON_MAINTAINER="Name <address>" -DSAPLOGON_STATS_HOST=stats.example.org
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/tools/setup.sh" --release "$@"
cd "$here/build-release"
# A binary that lost Debian's hardening on the way is not packaged. Control-flow protection
# cannot be had on Debian 12: its C start-up files lack the marking, so no program there has it
# (not even /usr/bin/ls).
hardening-check --quiet --nocfprotection src/app/saplogon-editor src/app/saplogon-ini
cpack -G DEB
ls -1 "$here"/build-release/package/*.deb
