#!/usr/bin/env bash
# Set up, build, and open the editor on FILE (default: the bundled example).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/tools/setup.sh"
file="${1:-$here/examples/saplogon.ini}"
if [ -x "$here/build/src/app/saplogon-editor" ]; then
    exec "$here/build/src/app/saplogon-editor" "$file"
fi
# Until the window exists, show the regenerated example through the command-line tool.
exec "$here/build/src/app/saplogon-ini" generate "$file"
