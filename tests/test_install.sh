#!/usr/bin/env bash
# The installed program. `cmake --install` into a fresh prefix and the Debian package unpacked into a
# scratch root hold the same files in the usual places; the desktop entry validates and names the
# installed program and icon; the package declares its libraries; and each installed program runs on
# the simulated boards installed with it (no environment variable points at them) on Xvfb, says so in its
# title and ends in order on SIGTERM. With LD_LIBRARY_PATH at a stand-in for a card's library, the
# installed program uses that library instead, and its title is plain. The package's copyright file carries LICENSE, its metadata validates for
# software centres, and lintian reports no error and no warning on it (those two checks are skipped,
# and the test with them, where lintian or appstreamcli is missing).
#
# usage: test_install.sh BUILD_DIR CMAKE CPACK STANDIN_DIR
set -euo pipefail
build=$1 cmake=$2 cpack=$3 standin=$4
source=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

source "$(dirname "${BASH_SOURCE[0]}")/install_checks.sh"
require_tools scripts/setup.sh dpkg-deb dpkg-shlibdeps desktop-file-validate Xvfb xwininfo
pid=""
xvfb=""
cleanup_more() {
    [ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
}

# A display of the test's own, where the windows' titles can be read. It has no session bus, and the
# programs are told so (DBUS_SESSION_BUS_ADDRESS=disabled:): without an address libdbus tries to start
# one, and leaks a buffer doing it, which the sanitizer build would report.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do
    [ -s "$scratch/display" ] && break
    sleep 0.1
done
[ -s "$scratch/display" ] || { echo "FAIL: Xvfb did not start"; exit 1; }
display=:$(cat "$scratch/display")

expected_files="bin/orvane-readout
lib/orvane-readout/libivrlib32.so
share/applications/orvane-readout.desktop
share/doc/orvane-readout/changelog.gz
share/doc/orvane-readout/copyright
share/icons/hicolor/16x16/apps/orvane-readout.png
share/icons/hicolor/32x32/apps/orvane-readout.png
share/icons/hicolor/scalable/apps/orvane-readout.svg
share/man/man1/orvane-readout.1.gz
share/metainfo/invalid.orvane.readout.metainfo.xml"

skipped=()
for tool in lintian appstreamcli; do
    command -v "$tool" >/dev/null || skipped+=("$tool")
done

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
    local license
    license=$(sed -n '/^Permission/,$p' "$source/LICENSE" | sed 's/^$/./; s/^/ /')
    grep -qxF "Copyright: $(sed -n 's/^Copyright (c) //p' "$source/LICENSE")" \
        "$prefix/share/doc/orvane-readout/copyright" || fail "$what: the copyright file names another holder"
    [[ "$(cat "$prefix/share/doc/orvane-readout/copyright")" == *"$license"* ]] ||
        fail "$what: the copyright file does not carry LICENSE"
    if command -v appstreamcli >/dev/null; then
        appstreamcli validate-tree --no-net "$prefix" >"$scratch/appstream.log" 2>&1 ||
            fail "$what: the metadata does not validate:"$'\n'"$(cat "$scratch/appstream.log")"
    fi
}

# check_run WHAT EXE [CARD_LIBRARY_DIR]: runs an installed program until it has refreshed its channels a
# few times, checks its window's title, ends it with SIGTERM and checks how it went. With a directory, the
# program runs with LD_LIBRARY_PATH at the stand-in card's library there.
check_run() {
    local what=$1 exe=$2 card=${3:-}
    local run=$scratch/run-$what
    mkdir -p "$run"
    local trace=$run/trace.txt calls=$run/trace.txt tick='^read 40 5 ' title="Orvane001 - Digital Readout (simulated boards)"
    local library=()
    if [ -n "$card" ]; then
        library=(LD_LIBRARY_PATH="$card")
        calls=$run/card.txt tick='^read 40 1$' title="Orvane001 - Digital Readout"
    fi
    env -u LD_LIBRARY_PATH -u ENCODER_SIM_CHANNELS -u ENCODER_SIM_BOARDS -u ENCODER_SIM_TYPES \
        -u ENCODER_SIM_ABSENT -u ENCODER_SIM_SET -u ENCODER_SIM_MOTION "${library[@]}" \
        QT_QPA_PLATFORM=xcb DISPLAY="$display" DBUS_SESSION_BUS_ADDRESS=disabled: \
        XDG_CONFIG_HOME="$run/config" ENCODER_SIM_TRACE="$trace" \
        STANDIN_CARD_TRACE="$run/card.txt" "$exe" >"$run/output.txt" 2>&1 &
    pid=$!
    local ticks=0
    for _ in $(seq 100); do
        ticks=$(grep -c "$tick" "$calls" 2>/dev/null || true)
        [ "${ticks:-0}" -lt 3 ] || break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    [ "${ticks:-0}" -ge 3 ] || fail "$what: only ${ticks:-0} refreshes"
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
check_run card "$scratch/prefix/bin/orvane-readout" "$standin"

quietly "$cpack" --config "$build/CPackConfig.cmake" -B "$scratch/package"
debs=("$scratch"/package/orvane-readout_*.deb)
if [ "${#debs[@]}" -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    fail "cpack made no single .deb: ${debs[*]}"
else
    deb=${debs[0]}
    depends=$(dpkg-deb -f "$deb" Depends)
    names=",$(echo "$depends" | sed 's/([^)]*)//g; s/ //g'),"
    for pkg in libc6 libqt6core6 libqt6gui6 libqt6widgets6; do
        [[ "$names" == *",$pkg,"* ]] || fail "the package does not depend on $pkg: $depends"
    done
    dpkg -x "$deb" "$scratch/root"
    check_tree package "$scratch/root/usr"
    check_run package "$scratch/root/usr/bin/orvane-readout"
    if command -v lintian >/dev/null; then
        lintian --fail-on error,warning "$deb" >"$scratch/lintian.log" 2>&1 ||
            fail "lintian on the package:"$'\n'"$(cat "$scratch/lintian.log")"
    fi
fi

if ((failures == 0 && ${#skipped[@]})); then
    echo "SKIP: ${skipped[*]} missing (scripts/setup.sh installs them); everything else passed"
    exit 77
fi
finish "installed from the prefix and from the package"
