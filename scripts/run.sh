#!/usr/bin/env bash
# Builds the readout and runs it on the simulated boards (6 channels on 2 boards, 3 incremental and
# 3 SSI, moving). With a display it opens the window; without one it runs the readout under Xvfb,
# saves two screenshots of the live window one second apart and prints where they are.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

readout_build_program

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$exe"
fi

shots="$build/screenshots"
mkdir -p "$shots"
echo "No display: running the readout under Xvfb for a few seconds."
readout_capture "$shots/readout-1.png" "$shots/readout-2.png"
echo "Screenshots of the live window (one second apart):"
echo "  $shots/readout-1.png"
echo "  $shots/readout-2.png"
