#!/usr/bin/env bash
# Configures and builds Tamsel into build/ (warnings are errors under CI).
set -euo pipefail
cd "$(dirname "$0")/.."
werror=OFF
[ -n "${CI:-}" ] && werror=ON
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMSEL_WERROR=$werror
cmake --build build --parallel "$(nproc)"
