#!/usr/bin/env bash
# Sets everything up, builds, and runs every test headless.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh"
"$here/scripts/build.sh"
cd "$here"
export QT_QPA_PLATFORM=offscreen
ctest --preset default
