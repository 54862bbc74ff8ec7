#!/usr/bin/env bash
# Builds the readout and runs it on the simulated boards (6 channels on 2 boards, 3 incremental and
# 3 SSI, moving). With a display it opens the window; without one it runs the readout under Xvfb,
# saves screenshots of the live window and prints where they are.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

readout_build_program

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$exe"
fi

shots="$build/screenshots"
mkdir -p "$shots"
echo "No display: running the readout under Xvfb for a few seconds."
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    exe=$1 shots=$2
    "$exe" &
    pid=$!
    title="Orvane001 - Digital Readout (simulated boards)"
    for _ in $(seq 50); do xwininfo -name "$title" >/dev/null 2>&1 && break; sleep 0.1; done
    sleep 1.5
    xwd -silent -name "$title" | convert xwd:- "$shots/readout-1.png"
    sleep 1
    xwd -silent -name "$title" | convert xwd:- "$shots/readout-2.png"
    kill -TERM "$pid"
    wait "$pid"
' _ "$exe" "$shots"
echo "Screenshots of the live window (one second apart):"
echo "  $shots/readout-1.png"
echo "  $shots/readout-2.png"
