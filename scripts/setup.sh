#!/usr/bin/env bash
# Installs the Debian packages the readout needs to build, run and be tested, when they are missing.
# Sourced by run.sh and test.sh; run as root on Debian 12.
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

READOUT_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export READOUT_ROOT
