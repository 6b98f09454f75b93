#!/usr/bin/env bash
# Renders the cover and the first data page of the printed registration form for a sample
# achievement into doc/sample-registration.png (the picture in the README).
set -euo pipefail
cd "$(dirname "$0")/.."
[ -d build ] || cmake -S . -B build -G Ninja
cmake --build build --target render_sample tamsel_data
mkdir -p doc
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} build/bench/render_sample build/data doc/sample-registration.png
echo "written: doc/sample-registration.png"
