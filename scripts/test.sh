#!/usr/bin/env bash
# Builds everything and runs every test suite headlessly.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${CHITALKA_BUILD_DIR:-$root/build}"
bash "$root/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
