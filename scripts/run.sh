#!/usr/bin/env bash
# Sets up everything, builds, and starts Tamsel on the delivered data folder (build/data).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
exec ./build/tamsel
