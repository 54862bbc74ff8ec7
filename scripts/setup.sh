#!/usr/bin/env bash
# Installs the Debian packages the readout needs to build, run and be tested, when they are missing.
# Also the steps the scripts share: the build, and the program under Xvfb. Sourced by the other scripts;
# run as root on Debian 12.
set -euo pipefail

readout_packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    xvfb xauth x11-apps x11-utils imagemagick
    locales fonts-dejavu-core
    desktop-file-utils dpkg-dev file lintian appstream
)

readout_install_missing() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done
    if ((${#missing[@]})); then
        echo "Installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
}

# The locale tests print numbers under a comma-decimal locale.
readout_ensure_locale() {
    if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8
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

# readout_xvfb COMMAND...: runs COMMAND with an X server of its own (Xvfb), which stays up until
# COMMAND ends, however many programs come and go on it.
readout_xvfb() {
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$@"
}

# readout_capture PNG...: runs the program ($exe) under Xvfb and, once its main window (of class
# orvane-readout) has shown a few refreshes, saves the window alone into each PNG in turn, one second
# apart; then ends the program. No time stamps in the files: the same pixels make the same file.
readout_capture() {
    readout_xvfb bash -c '
        set -euo pipefail
        exe=$1
        shift
        QT_QPA_PLATFORM=xcb "$exe" &
        pid=$!
        window=""
        for _ in $(seq 100); do
            window=$(xwininfo -root -tree | awk "/\\(\"orvane-readout\"/ { print \$1; exit }")
            [ -n "$window" ] && break
            sleep 0.1
        done
        if [ -z "$window" ]; then
            echo "The readout window did not appear." >&2
            kill -TERM "$pid"
            exit 1
        fi
        sleep 1
        for png in "$@"; do
            sleep 1
            xwd -silent -id "$window" | convert xwd:- -strip -define png:exclude-chunks=date,time "png:$png"
        done
        kill -TERM "$pid"
        wait "$pid"
    ' _ "$exe" "$@"
}

READOUT_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export READOUT_ROOT
