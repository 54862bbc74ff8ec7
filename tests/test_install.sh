#!/usr/bin/env bash
# The installed program. `cmake --install` into a fresh prefix, and the two Debian packages (the program,
# and the simulated boards) unpacked together into a scratch root, hold the same files in the usual
# places; the desktop entry validates and names the installed program and icon; the packages declare
# their libraries, and the program's does not depend on the simulator's; and each installed program runs
# on the simulated boards installed with it (no environment variable points at them) on Xvfb, says so in
# its title and ends in order on SIGTERM. With LD_LIBRARY_PATH at a stand-in for a card's library, the
# installed program uses that library instead, and its title is plain. The program's package unpacked
# alone runs on the stand-in where the system's loader finds it: in /usr/local/lib, registered by
# ldconfig, in a private mount namespace so that the system's own folders stay as they are (needs root;
# skipped, and the test with it, without). The packages' copyright files carry LICENSE, their metadata
# validates for software centres, and lintian reports no error and no warning on them (those two checks
# are skipped, and the test with them, where lintian or appstreamcli is missing).
#
# usage: test_install.sh BUILD_DIR CMAKE CPACK STANDIN_DIR
set -euo pipefail
build=$1 cmake=$2 cpack=$3 standin=$4
source=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

source "$(dirname "${BASH_SOURCE[0]}")/install_checks.sh"
source "$source/scripts/setup.sh"
require_tools scripts/setup.sh dpkg-deb dpkg-shlibdeps desktop-file-validate Xvfb xwininfo
pid=""
cleanup_more() {
    [ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true
    readout_xvfb_stop
}

# A display of the test's own, where the windows' titles can be read. It has no session bus, and the
# programs are told so (DBUS_SESSION_BUS_ADDRESS=disabled:): without an address libdbus tries to start
# one, and leaks a buffer doing it, which the sanitizer build would report.
readout_xvfb_start || { echo "FAIL: Xvfb did not start"; exit 1; }
display=$DISPLAY

program_files="bin/orvane-readout
share/applications/orvane-readout.desktop
share/doc/orvane-readout/changelog.gz
share/doc/orvane-readout/copyright
share/icons/hicolor/16x16/apps/orvane-readout.png
share/icons/hicolor/32x32/apps/orvane-readout.png
share/icons/hicolor/scalable/apps/orvane-readout.svg
share/man/man1/orvane-readout.1.gz
share/metainfo/invalid.orvane.readout.metainfo.xml"
simulator_files="lib/orvane-readout/libivrlib32.so
share/doc/orvane-readout-simulated-boards/changelog.gz
share/doc/orvane-readout-simulated-boards/copyright"
expected_files=$(printf '%s\n%s\n' "$program_files" "$simulator_files" | sort)

skipped=()
for tool in lintian appstreamcli; do
    command -v "$tool" >/dev/null || skipped+=("$tool")
done
# A private mount namespace, where the stand-in can be put in /usr/local/lib: root only.
unshare -m --propagation private true 2>/dev/null || skipped+=("a private mount namespace (root)")

# Width and height of a PNG, from its header.
png_size() {
    od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }'
}

check_tree() {
    local what=$1 prefix=$2
    local files
    files=$(cd "$prefix" && find . -type f -printf '%P\n' | sort)
    [ "$files" = "$expected_files" ] || fail "$what holds:"$'\n'"$files"
    local entry=$prefix/share/applications/orvane-readout.desktop
    desktop-file-validate "$entry" || fail "$what: the desktop entry does not validate"
    grep -qx 'Exec=orvane-readout' "$entry" || fail "$what: the desktop entry does not start orvane-readout"
    grep -qx 'Icon=orvane-readout' "$entry" || fail "$what: the desktop entry does not name the icon"
    for size in 16x16 32x32; do
        local icon=$prefix/share/icons/hicolor/$size/apps/orvane-readout.png
        [ "$(png_size "$icon")" = "$size" ] || fail "$what: the $size icon is $(png_size "$icon")"
    done
    # The licence, in the copyright file's indented form.
    local license package
    license=$(sed -n '/^Permission/,$p' "$source/LICENSE" | sed 's/^$/./; s/^/ /')
    for package in orvane-readout orvane-readout-simulated-boards; do
        grep -qxF "Copyright: $(sed -n 's/^Copyright (c) //p' "$source/LICENSE")" \
            "$prefix/share/doc/$package/copyright" ||
            fail "$what: $package's copyright file names another holder"
        [[ "$(cat "$prefix/share/doc/$package/copyright")" == *"$license"* ]] ||
            fail "$what: $package's copyright file does not carry LICENSE"
    done
    if command -v appstreamcli >/dev/null; then
        appstreamcli validate-tree --no-net "$prefix" >"$scratch/appstream.log" 2>&1 ||
            fail "$what: the metadata does not validate:"$'\n'"$(cat "$scratch/appstream.log")"
    fi
}

# The stand-in card's library where the system's loader finds it, registered in the loader's cache as
# ldconfig registers a card's library, in a private mount namespace: a fresh /usr/local/lib holding it, a
# cache built from the system's loader configuration bind-mounted over /etc/ld.so.cache, and a fresh
# folder for ldconfig's own cache of what it read; ldconfig makes no links (-X). Then runs the command
# given, in the same process.
# shellcheck disable=SC2016 # the script is expanded by the shell it runs in
registered_card=(unshare -m --propagation private sh -c '
    set -eu
    mount -t tmpfs card /usr/local/lib
    mount -t tmpfs ldconfig /var/cache/ldconfig
    cp "$STANDIN_DIR/libivrlib32.so" /usr/local/lib/
    ldconfig -X -C "$LOADER_CACHE"
    mount --bind "$LOADER_CACHE" /etc/ld.so.cache
    exec "$@"' sh)

# check_run WHAT EXE [CARD]: runs an installed program until it has refreshed its channels a few times,
# checks its window's title, ends it with SIGTERM and checks how it went. With CARD "library-path" the
# program runs with LD_LIBRARY_PATH at the stand-in card's library; with "registered", with the stand-in
# registered with the system's loader.
check_run() {
    local what=$1 exe=$2 card=${3:-}
    local run=$scratch/run-$what
    mkdir -p "$run"
    local trace=$run/trace.txt calls=$run/trace.txt tick='^read 40 5 ' title="Orvane001 - Digital Readout (simulated boards)"
    local library=() launcher=()
    if [ -n "$card" ]; then
        calls=$run/card.txt tick='^read 40 1$' title="Orvane001 - Digital Readout"
    fi
    case "$card" in
        library-path) library=(LD_LIBRARY_PATH="$standin") ;;
        registered) launcher=("${registered_card[@]}") ;;
    esac
    env -u LD_LIBRARY_PATH -u ENCODER_SIM_CHANNELS -u ENCODER_SIM_BOARDS -u ENCODER_SIM_TYPES \
        -u ENCODER_SIM_ABSENT -u ENCODER_SIM_SET -u ENCODER_SIM_MOTION "${library[@]}" \
        QT_QPA_PLATFORM=xcb DISPLAY="$display" DBUS_SESSION_BUS_ADDRESS=disabled: \
        XDG_CONFIG_HOME="$run/config" ENCODER_SIM_TRACE="$trace" STANDIN_CARD_TRACE="$run/card.txt" \
        STANDIN_DIR="$standin" LOADER_CACHE="$run/ld.so.cache" \
        "${launcher[@]}" "$exe" >"$run/output.txt" 2>&1 &
    pid=$!
    local ticks
    ticks=$(readout_wait_refreshes "$calls" "$tick" "$pid")
    [ "$ticks" -ge 3 ] || fail "$what: only $ticks refreshes"
    DISPLAY=$display xwininfo -name "$title" >/dev/null 2>&1 ||
        fail "$what: no window titled '$title':"$'\n'"$(DISPLAY=$display xwininfo -root -children | grep '"')"
    local status=0
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" || status=$?
    pid=""
    [ "$status" -eq 0 ] || fail "$what: exit status $status after SIGTERM"$'\n'"$(cat "$run/output.txt")"
    touch "$calls"
    if [ -n "$card" ]; then
        [ ! -e "$trace" ] || fail "$what: the simulated boards were called beside the card's library"
        [ "$(head -n 1 "$calls")" = "open 0 0" ] || fail "$what: the card's library was not opened first"
        [ "$(tail -n 1 "$calls")" = "close 0 0" ] || fail "$what: the card's library was not closed last"
    else
        [ "$(head -n 1 "$trace")" = "open -> 0" ] || fail "$what: the trace starts with '$(head -n 1 "$trace")'"
        [ "$(tail -n 1 "$trace")" = "close" ] || fail "$what: the trace ends with '$(tail -n 1 "$trace")'"
    fi
    [ -f "$run/config/Orvane Electronic Controls Ltd/Orvane 001 - Digital Readout.conf" ] ||
        fail "$what: no profile saved under XDG_CONFIG_HOME"
}

quietly "$cmake" --install "$build" --prefix "$scratch/prefix"
check_tree prefix "$scratch/prefix"
check_run prefix "$scratch/prefix/bin/orvane-readout"
check_run card "$scratch/prefix/bin/orvane-readout" library-path

quietly "$cpack" --config "$build/CPackConfig.cmake" -B "$scratch/package"
debs=("$scratch"/package/*.deb)
program_deb=$(echo "$scratch"/package/orvane-readout_*.deb)
simulator_deb=$(echo "$scratch"/package/orvane-readout-simulated-boards_*.deb)
if [ "${#debs[@]}" -ne 2 ] || [ ! -f "$program_deb" ] || [ ! -f "$simulator_deb" ]; then
    fail "cpack made other packages than the program's and the simulated boards': ${debs[*]}"
else
    # package_names DEB FIELD: the package names in a field, between commas.
    package_names() {
        echo ",$(dpkg-deb -f "$1" "$2" | sed 's/([^)]*)//g; s/ //g'),"
    }
    names=$(package_names "$program_deb" Depends)
    for pkg in libc6 libqt6core6 libqt6gui6 libqt6widgets6; do
        [[ "$names" == *",$pkg,"* ]] || fail "the program's package does not depend on $pkg: $names"
    done
    [[ "$names" != *",orvane-readout-simulated-boards,"* ]] ||
        fail "the program's package depends on the simulator's"
    names=$(package_names "$simulator_deb" Depends)
    [[ "$names" == *",orvane-readout,"* ]] ||
        fail "the simulator's package does not depend on the program's: $names"
    for deb in "$program_deb" "$simulator_deb"; do
        dpkg -x "$deb" "$scratch/root"
    done
    check_tree package "$scratch/root/usr"
    check_run package "$scratch/root/usr/bin/orvane-readout"
    dpkg -x "$program_deb" "$scratch/program"
    files=$(cd "$scratch/program/usr" && find . -type f -printf '%P\n' | sort)
    [ "$files" = "$program_files" ] || fail "the program's package holds:"$'\n'"$files"
    if unshare -m --propagation private true 2>/dev/null; then
        check_run program-alone "$scratch/program/usr/bin/orvane-readout" registered
    fi
    if command -v lintian >/dev/null; then
        lintian --fail-on error,warning "$program_deb" "$simulator_deb" >"$scratch/lintian.log" 2>&1 ||
            fail "lintian on the packages:"$'\n'"$(cat "$scratch/lintian.log")"
    fi
fi

# A build against a card's library (here the stand-in), configured only: nothing in `all` builds the
# simulated boards, the program is linked with the card's library, and the simulator an earlier
# configuration of the tree built, where the program's build run path looks first, is gone.
if command -v ninja >/dev/null; then
    card_build=$scratch/card-build
    mkdir -p "$card_build/lib"
    cp "$build/lib/libivrlib32.so" "$card_build/lib/"
    quietly "$cmake" -S "$source" -B "$card_build" -G Ninja -DENCODER_LIBRARY="$standin/libivrlib32.so"
    [ ! -e "$card_build/lib/libivrlib32.so" ] || fail "a card's build tree keeps the simulator built in it before"
    simulator=$(ninja -C "$card_build" -t targets all | grep -v ': phony$' | grep ivrlib32 | grep -v '^standin/' || true)
    [ -z "$simulator" ] || fail "a card's build builds the simulated boards:"$'\n'"$simulator"
    ninja -C "$card_build" -t commands bin/orvane-readout | tail -n 1 | grep -qF " $standin/libivrlib32.so " ||
        fail "a card's build does not link the program with the card's library"
else
    skipped+=(ninja)
fi

if ((failures == 0 && ${#skipped[@]})); then
    echo "SKIP: ${skipped[*]} missing (scripts/setup.sh installs them); everything else passed"
    exit 77
fi
finish "installed from the prefix and from the package"
