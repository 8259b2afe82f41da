#!/usr/bin/env bash
# Builds the reader and starts it on the bundled demo disc (the interface.dat beside it).
# Extra arguments go to the reader, e.g. scripts/run.sh --struct struct_gallery.txt
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${CHITALKA_BUILD_DIR:-$root/build}"
bash "$root/scripts/build.sh" -DCHITALKA_BUILD_BENCH=OFF
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found: starting the reader inside a virtual X server (xvfb-run)." >&2
    exec xvfb-run -a -s "-screen 0 1280x900x24" "$build/chitalka" "$@"
fi
exec "$build/chitalka" "$@"
