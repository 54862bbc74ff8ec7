#!/usr/bin/env bash
# Makes docs/readout.png, the README's picture of the live window: builds the readout if needed, runs it
# on the simulated boards as `run.sh` does (6 channels on 2 boards, 3 incremental and 3 SSI, moving) under
# Xvfb, and captures the window alone once it has shown a few refreshes. The profile it reads and saves is
# a scratch one, removed at the end.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

readout_build_program
out="$READOUT_ROOT/docs/readout.png"
mkdir -p "$(dirname "$out")"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The simulator's defaults, whatever the caller's environment holds; Qt's X11 platform on Xvfb's display.
unset "${!ENCODER_SIM_@}" QT_QPA_PLATFORM QT_SCALE_FACTOR DISPLAY WAYLAND_DISPLAY
export XDG_CONFIG_HOME="$scratch" XDG_RUNTIME_DIR="$scratch"

xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    set -euo pipefail
    exe=$1 out=$2
    "$exe" &
    pid=$!
    window=""
    for _ in $(seq 100); do
        # The main window: the one of class orvane-readout.
        window=$(xwininfo -root -tree | awk "/\\(\"orvane-readout\"/ { print \$1; exit }")
        [ -n "$window" ] && break
        sleep 0.1
    done
    if [ -z "$window" ]; then
        echo "The readout window did not appear." >&2
        kill -TERM "$pid"
        exit 1
    fi
    sleep 2
    # The window only, without the empty screen around it; no time stamps, so the same pixels make the
    # same file.
    xwd -silent -id "$window" | convert xwd:- -strip -define png:exclude-chunks=date,time "png:$out"
    kill -TERM "$pid"
    wait "$pid"
' _ "$exe" "$out"
echo "$out"
