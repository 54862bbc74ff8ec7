#!/usr/bin/env bash
# Makes docs/readout.png, the README's picture of the live window: builds the readout if needed and
# captures it on the simulated boards' defaults (6 channels on 2 boards, 3 incremental and 3 SSI, moving)
# under Xvfb, with a scratch profile, removed at the end.
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

readout_capture "$out"
echo "$out"
