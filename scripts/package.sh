#!/usr/bin/env bash
# Builds the Debian package of Tamsel into build/ (tamsel_VERSION_ARCH.deb) and lists what it
# depends on. Install it with: sudo apt install ./build/tamsel_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
cd build
cpack -G DEB
deb=$(ls -t tamsel_*.deb | head -n1)
dpkg-deb --field "$deb" Package Version Depends
echo "built build/$deb"
