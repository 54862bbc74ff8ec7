#!/usr/bin/env bash
# Installs the Debian packages the readout needs to build, run and be tested, when they are missing.
# Also the steps the scripts and the install tests share: running as root, the build, an X server of
# their own (Xvfb), waiting for the readout's refreshes, and the program's window captured. Sourced by the
# other scripts and by tests/test_install.sh and tests/install_windows.sh; run as root on Debian 12.
set -euo pipefail

readout_packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    xvfb xauth x11-apps x11-utils xdotool imagemagick python3-markdown
    locales fonts-dejavu-core
    desktop-file-utils dpkg-dev file lintian appstream
)

# readout_as_root COMMAND...: runs COMMAND as root: as it is when this is root, else through sudo.
readout_as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        sudo "$@"
    fi
}

readout_install_missing() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done
    if ((${#missing[@]})); then
        echo "Installing: ${missing[*]}"
        readout_as_root apt-get update -qq
        readout_as_root env DEBIAN_FRONTEND=noninteractive \
            apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
}

# The locale tests print numbers under a comma-decimal locale.
readout_ensure_locale() {
    if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
        readout_as_root localedef -i de_DE -f UTF-8 de_DE.UTF-8
    fi
}

readout_build() {
    local dir=$1
    shift
    cmake -S "$READOUT_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir"
}

# readout_build_program: the packages it needs and the normal build in build/; sets `build` and `exe`,
# the program's path.
readout_build_program() {
    readout_install_missing "${readout_packages[@]}"
    build="$READOUT_ROOT/build"
    readout_build "$build"
    exe="$build/bin/orvane-readout"
}

# readout_xvfb_start: starts an X server of the caller's own (Xvfb) on a free display, exports DISPLAY
# naming it and keeps its process in readout_xvfb_pid; it stays up, however many programs come and go on
# it, until readout_xvfb_stop.
readout_xvfb_start() {
    local display_file
    display_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$display_file" >/dev/null 2>&1 &
    readout_xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$display_file" ] && break
        sleep 0.1
    done
    DISPLAY=:$(cat "$display_file")
    rm -f "$display_file"
    if [ "$DISPLAY" = : ]; then
        echo "Xvfb did not start." >&2
        readout_xvfb_stop
        return 1
    fi
    export DISPLAY
}

readout_xvfb_stop() {
    [ -z "${readout_xvfb_pid:-}" ] || kill "$readout_xvfb_pid" 2>/dev/null || true
    readout_xvfb_pid=""
}

# readout_xvfb COMMAND...: runs COMMAND (a program or a function) on an X server of its own, which ends
# with it.
readout_xvfb() {
    (
        trap readout_xvfb_stop EXIT
        readout_xvfb_start || exit
        "$@"
    )
}

# readout_wait_refreshes TRACE PATTERN PID [SECONDS]: waits until the trace of the interface's calls,
# TRACE, holds three lines matching PATTERN (a register read once a refresh), at most SECONDS (10), and
# no longer than the process PID runs; prints how many it holds. Carriage returns (a Windows program's
# trace) are ignored.
readout_wait_refreshes() {
    local trace=$1 pattern=$2 pid=$3 seconds=${4:-10} count=0
    for _ in $(seq $((seconds * 10))); do
        count=$(tr -d '\r' 2>/dev/null <"$trace" | grep -c "$pattern" || true)
        [ "${count:-0}" -lt 3 ] || break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "${count:-0}"
}

# readout_capture PNG...: runs the program ($exe) on an X server of its own and, once it has refreshed
# its channels a few times, saves its main window (of class orvane-readout) alone into each PNG in turn,
# one second apart; then ends the program. The simulated boards trace their calls into a scratch file
# meanwhile.
readout_capture() {
    readout_xvfb readout_capture_on_display "$@"
}

readout_capture_on_display() {
    local png
    readout_start || return
    for png in "$@"; do
        sleep 1
        readout_window_png "$readout_window" "$png"
    done
    readout_end
}

# readout_start: starts the program ($exe) on the display and waits until it has refreshed its channels a
# few times; keeps its process in readout_pid and its main window in readout_window. The simulated boards
# trace their calls into a scratch file meanwhile.
readout_start() {
    local trace
    trace=$(mktemp)
    readout_window=""
    QT_QPA_PLATFORM=xcb ENCODER_SIM_TRACE="$trace" "$exe" &
    readout_pid=$!
    if [ "$(readout_wait_refreshes "$trace" '^read 40 0 ' "$readout_pid")" -ge 3 ]; then
        readout_window=$(xwininfo -root -tree | awk '/\("orvane-readout"/ { print $1; exit }')
    fi
    rm -f "$trace"
    if [ -z "$readout_window" ]; then
        echo "The readout window did not appear, or did not refresh." >&2
        kill -TERM "$readout_pid" 2>/dev/null || true
        return 1
    fi
}

# readout_end: ends the program readout_start started, as SIGTERM does: in order, its profile saved.
readout_end() {
    kill -TERM "$readout_pid"
    wait "$readout_pid"
}

# readout_window_png WINDOW PNG: saves the X window WINDOW alone into PNG. No time stamps in the file:
# the same pixels make the same file.
readout_window_png() {
    xwd -silent -id "$1" | convert xwd:- -strip -define png:exclude-chunks=date,time "png:$2"
}

READOUT_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export READOUT_ROOT
