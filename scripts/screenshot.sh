#!/usr/bin/env bash
# Makes the pictures of the README and the operator's guide (docs/guide.md): builds the readout if needed
# and runs it on the simulated boards' defaults (6 channels on 2 boards, 3 incremental and 3 SSI, moving)
# under Xvfb, with a scratch profile that scales the first three axes as the guide's examples do, removed
# at the end. It captures the main window, then opens each dialog with the keyboard, as an operator
# would, and captures it: Axis Properties and the incremental encoder properties of X, the incremental
# status of X, the SSI encoder properties and the SSI status of A. Each window is waited for by its
# title; one that does not come stops the script.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

readout_build_program
docs="$READOUT_ROOT/docs"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The simulator's defaults, whatever the caller's environment holds; Qt's X11 platform on Xvfb's display.
unset "${!ENCODER_SIM_@}" QT_QPA_PLATFORM QT_SCALE_FACTOR DISPLAY WAYLAND_DISPLAY
export XDG_CONFIG_HOME="$scratch" XDG_RUNTIME_DIR="$scratch"
# X and Y linear scales of 5 um a count in millimetres, channel 2 a rotary axis R of 5000 counts a turn in
# degrees; the SSI axes in counts.
mkdir -p "$scratch/Orvane Electronic Controls Ltd"
cat >"$scratch/Orvane Electronic Controls Ltd/Orvane 001 - Digital Readout.conf" <<'EOF'
[Settings]
Axis0\Name=X
Axis0\Pitch=0.005
Axis0\Count=1
Axis0\Mode=402786304
Axis1\Name=Y
Axis1\Pitch=0.005
Axis1\Count=1
Axis1\Mode=402786304
Axis2\Name=R
Axis2\Pitch=360
Axis2\Count=5000
Axis2\Mode=402786304
EOF

# window TITLE: the window of that title, once it is there (at most 10 s).
window() {
    local id
    id=$(timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1) || true
    if [ -z "$id" ]; then
        echo "No window titled '$1' came." >&2
        return 1
    fi
    echo "$id"
}

# keys KEY...: the keys, one at a time, to the window that has the focus.
keys() {
    local key
    for key in "$@"; do
        xdotool key "$key"
        sleep 0.2
    done
}

# shoot TITLE PNG: captures the window of that title into docs/PNG, once it has been drawn.
shoot() {
    local id
    id=$(window "$1")
    sleep 1
    readout_window_png "$id" "$docs/$2"
    echo "$docs/$2"
}

# closes TITLE: Esc to the dialog of that title, which has the focus, and waits until it has gone.
closes() {
    local id
    id=$(window "$1")
    keys Escape
    for _ in $(seq 50); do
        xwininfo -id "$id" 2>/dev/null | grep -q IsViewable || return 0
        sleep 0.1
    done
    echo "The window '$1' did not close." >&2
    return 1
}

pictures() {
    readout_start
    readout_window_png "$readout_window" "$docs/readout.png"
    echo "$docs/readout.png"
    # The keyboard's way through the window: the board's Fs and Prb, then each axis's Setup, Mrk and
    # Status ("Z" is no tab stop). In Axis Properties OK has the focus, and the mode button comes last.
    xdotool windowfocus --sync "$readout_window"
    keys Tab Tab space
    shoot "Axis Properties" axis-properties.png
    keys shift+Tab space
    shoot "Incremental encoder properties" inc-properties.png
    closes "Incremental encoder properties"
    closes "Axis Properties"
    keys Tab Tab space
    shoot "Incremental Axis Status" inc-status.png
    closes "Incremental Axis Status"
    # From X's Status past Y's and R's three buttons and the second board's two boxes to A's Setup.
    keys Tab Tab Tab Tab Tab Tab Tab Tab Tab space
    window "Axis Properties" >/dev/null
    keys shift+Tab space
    shoot "SSI encoder properties" ssi-properties.png
    closes "SSI encoder properties"
    closes "Axis Properties"
    keys Tab Tab space
    shoot "SSI Axis Status" ssi-status.png
    closes "SSI Axis Status"
    readout_end
}

readout_xvfb pictures
