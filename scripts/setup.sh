#!/usr/bin/env bash
# Installs every Debian package that building, testing and running VELT need.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libqt6printsupport6 libgl-dev
  zlib1g-dev libminizip-dev libasound2-dev libsqlite3-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  fonts-liberation2
  python3 python3-dbfread unzip
  xvfb xauth x11-utils imagemagick poppler-utils
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# Node.js may come from elsewhere on the machine; take Debian's only when none.
command -v node >/dev/null 2>&1 || missing+=(nodejs)
command -v npm >/dev/null 2>&1 || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The independent DBF writer the interoperability tests use (npm, kept out of
# the source tree).
here="$(cd "$(dirname "$0")/.." && pwd)"
if [ ! -d "$here/build/npm/node_modules/dbffile" ]; then
  mkdir -p "$here/build/npm"
  (cd "$here/build/npm" && { [ -f package.json ] || echo '{"name":"velt-interop","private":true}' > package.json; } \
     && npm install --no-audit --no-fund --silent dbffile@1) || echo "setup: dbffile could not be installed; its interoperability test will be skipped" >&2
fi
