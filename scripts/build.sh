#!/usr/bin/env bash
# Configures and builds VELT in build/ (Release with debug info).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)"
