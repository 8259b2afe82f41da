#!/usr/bin/env bash
# Configures and builds everything into build/ (or $CHITALKA_BUILD_DIR).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${CHITALKA_BUILD_DIR:-$root/build}"
bash "$root/scripts/deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCHITALKA_WERROR=ON "$@"
cmake --build "$build" -j"$(nproc)"
