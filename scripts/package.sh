#!/usr/bin/env bash
# Builds the Debian package of Tamsel into build/ (tamsel_VERSION_ARCH.deb), unpacks it into a
# temporary root and runs its self-check there with a fresh home, and shows what it depends on.
# Install it with: sudo apt install ./build/tamsel_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
cd build
cpack -G DEB
deb=$(ls -t tamsel_*.deb | head -n1)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root/pkg"
mkdir -p "$root/home"
HOME="$root/home" XDG_DATA_HOME= "$root/pkg/usr/bin/tamsel" --self-check
dpkg-deb --field "$deb" Package Version Depends
echo "built build/$deb"
