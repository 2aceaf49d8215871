#!/usr/bin/env bash
# Sets everything up, builds, and starts VELT on the demo data directory.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh"
"$here/scripts/build.sh"
data="${VELT_DATA:-$here/demo-data}"
mkdir -p "$data"
cd "$data"
exec "$here/build/src/shell/velt" "$@"
