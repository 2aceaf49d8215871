#!/usr/bin/env bash
# Sets everything up, builds, makes the demo data directory when it is
# missing, and starts VELT in it.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh"
"$here/scripts/build.sh"
data="${VELT_DATA:-$here/demo-data}"
if [ ! -f "$data/ARTICOLI.DBF" ]; then
  "$here/build/src/shell/demo/velt_demodata" "$data"
fi
cd "$data"
exec "$here/build/src/shell/velt" "$@"
