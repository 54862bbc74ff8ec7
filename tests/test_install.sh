#!/usr/bin/env bash
# The installed program. `cmake --install` into a fresh prefix, and the two Debian packages (the program,
# and the simulated boards) unpacked together into a scratch root, hold the same files in the usual
# places, the operator's guide among them, which goes when the program's package is removed; the desktop
# entry validates and names the installed program and icon; the packages declare their libraries, the
# program's depends on the simulator's, which breaks and replaces the earlier program that held its file;
# and the program runs on Xvfb on the simulated boards installed with it (no environment variable points
# at them), says so in its title and ends in order on SIGTERM, unless a stand-in for a card's library
# comes first, and its title is plain: named by LD_LIBRARY_PATH, or in /usr/local/lib. The packages are installed with dpkg and apt, fresh and as upgrades of the earlier
# releases' (../shared/releases, rows skipped with a note when it is not there), in a throwaway system:
# the machine's /etc, /usr and /var with every change going to a tmpfs, in a mount namespace of the
# test's own (needs root; skipped, and the test with them, without). The packages' copyright files carry
# LICENSE, their metadata validates for software centres, and lintian reports no error and no warning on
# them (those two checks are skipped, and the test with them, where lintian or appstreamcli is missing).
#
# usage: test_install.sh BUILD_DIR CMAKE CPACK STANDIN_DIR
set -euo pipefail
build=$1 cmake=$2 cpack=$3 standin=$4
source=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# The throwaway systems are mounted in a mount namespace of the test's own, which ends with it.
if [ -z "${READOUT_TEST_NAMESPACE:-}" ] && unshare -m --propagation private true 2>/dev/null; then
    READOUT_TEST_NAMESPACE=1 exec unshare -m --propagation private bash "${BASH_SOURCE[0]}" "$@"
fi

source "$(dirname "${BASH_SOURCE[0]}")/install_checks.sh"
source "$source/scripts/setup.sh"
require_tools scripts/setup.sh dpkg-deb dpkg-shlibdeps desktop-file-validate Xvfb xwininfo
pid=""
cleanup_more() {
    [ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true
    readout_xvfb_stop
    [ -z "${system:-}" ] || leave_system || true
}

# A display of the test's own, where the windows' titles can be read. It has no session bus, and the
# programs are told so (DBUS_SESSION_BUS_ADDRESS=disabled:): without an address libdbus tries to start
# one, and leaks a buffer doing it, which the sanitizer build would report.
readout_xvfb_start || { echo "FAIL: Xvfb did not start"; exit 1; }
display=$DISPLAY

program_files="bin/orvane-readout
share/applications/orvane-readout.desktop
share/doc/orvane-readout/axis-properties.png
share/doc/orvane-readout/changelog.gz
share/doc/orvane-readout/copyright
share/doc/orvane-readout/guide.html
share/doc/orvane-readout/inc-properties.png
share/doc/orvane-readout/inc-status.png
share/doc/orvane-readout/readout.png
share/doc/orvane-readout/ssi-properties.png
share/doc/orvane-readout/ssi-status.png
share/icons/hicolor/16x16/apps/orvane-readout.png
share/icons/hicolor/32x32/apps/orvane-readout.png
share/icons/hicolor/scalable/apps/orvane-readout.svg
share/man/man1/orvane-readout.1.gz
share/metainfo/invalid.orvane.readout.metainfo.xml"
simulator_files="lib/orvane-readout/libivrlib32.so
share/doc/orvane-readout-simulated-boards/changelog.gz
share/doc/orvane-readout-simulated-boards/copyright"
expected_files=$(printf '%s\n%s\n' "$program_files" "$simulator_files" | sort)
# The simulated boards' package also says why it activates the loader's trigger.
packaged_files=$(printf '%s\n%s\n' "$expected_files" share/lintian/overrides/orvane-readout-simulated-boards | sort)

skipped=()
for tool in lintian appstreamcli; do
    command -v "$tool" >/dev/null || skipped+=("$tool")
done
# A mount namespace of the test's own, for the throwaway systems: root only.
in_namespace=""
if [ -n "${READOUT_TEST_NAMESPACE:-}" ] && [ "$(readlink /proc/self/ns/mnt)" != "$(readlink "/proc/$PPID/ns/mnt")" ]; then
    in_namespace=1
else
    skipped+=("a private mount namespace (root)")
fi

# Width and height of a PNG, from its header.
png_size() {
    od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }'
}

check_tree() {
    local what=$1 prefix=$2 expected=${3:-$expected_files}
    local files
    files=$(cd "$prefix" && find . -type f -printf '%P\n' | sort)
    [ "$files" = "$expected" ] || fail "$what holds:"$'\n'"$files"
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

# A throwaway system: the machine's /etc, /usr and /var as they are, with every change from here on going
# to a tmpfs (an overlay on each, in the test's own mount namespace) until leave_system. Packages are
# installed there with dpkg and apt as on the machine, which stays as it is; its manual pages' index is
# not rebuilt, which takes seconds.
system=""
fresh_system() {
    leave_system
    [ -n "$in_namespace" ] || { echo "FAIL: no throwaway system outside a namespace of the test's own"; exit 1; }
    system=$scratch/system-$1
    mkdir -p "$system"
    mount -t tmpfs "system-$1" "$system"
    local top
    for top in etc usr var; do
        mkdir "$system/$top" "$system/$top.work"
        mount -t overlay "system-$1" -o "lowerdir=/$top,upperdir=$system/$top,workdir=$system/$top.work" "/$top"
    done
    rm -f /var/lib/man-db/auto-update
}
leave_system() {
    [ -n "$system" ] || return 0
    umount -l /var /usr /etc "$system"
    system=""
}

# check_run WHAT EXE [CARD]: runs an installed program until it has refreshed its channels a few times,
# checks its window's title, ends it with SIGTERM and checks how it went. With CARD "library-path" the
# program runs with LD_LIBRARY_PATH at the stand-in card's library; with "installed", on the stand-in
# the system's loader finds.
check_run() {
    local what=$1 exe=$2 card=${3:-}
    local run=$scratch/run-$what
    mkdir -p "$run"
    local trace=$run/trace.txt calls=$run/trace.txt tick='^read 40 5 ' title="Orvane001 - Digital Readout (simulated boards)"
    local library=()
    if [ -n "$card" ]; then
        calls=$run/card.txt tick='^read 40 1$' title="Orvane001 - Digital Readout"
    fi
    case "$card" in
        library-path) library=(LD_LIBRARY_PATH="$standin") ;;
    esac
    env -u LD_LIBRARY_PATH -u ENCODER_SIM_CHANNELS -u ENCODER_SIM_BOARDS -u ENCODER_SIM_TYPES \
        -u ENCODER_SIM_ABSENT -u ENCODER_SIM_SET -u ENCODER_SIM_MOTION "${library[@]}" \
        QT_QPA_PLATFORM=xcb DISPLAY="$display" DBUS_SESSION_BUS_ADDRESS=disabled: \
        XDG_CONFIG_HOME="$run/config" ENCODER_SIM_TRACE="$trace" STANDIN_CARD_TRACE="$run/card.txt" \
        "$exe" >"$run/output.txt" 2>&1 &
    pid=$!
    local ticks
    ticks=$(readout_wait_refreshes "$calls" "$tick" "$pid")
    [ "$ticks" -ge 3 ] || fail "$what: only $ticks refreshes"$'\n'"$(cat "$run/output.txt")"
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
    for pkg in libc6 libqt6core6 libqt6gui6 libqt6widgets6 orvane-readout-simulated-boards; do
        [[ "$names" == *",$pkg,"* ]] || fail "the program's package does not depend on $pkg: $names"
    done
    # No dependency back: an upgrade takes the two packages in either order.
    names=$(package_names "$simulator_deb" Depends)
    [[ "$names" != *",orvane-readout,"* ]] || fail "the simulator's package depends on the program's: $names"
    for field in Breaks Replaces; do
        [ "$(dpkg-deb -f "$simulator_deb" "$field")" = "orvane-readout (<< 1.1.0)" ] ||
            fail "the simulator's package has '$field: $(dpkg-deb -f "$simulator_deb" "$field")'"
    done
    for deb in "$program_deb" "$simulator_deb"; do
        dpkg -x "$deb" "$scratch/root"
    done
    check_tree package "$scratch/root/usr" "$packaged_files"
    dpkg -x "$program_deb" "$scratch/program"
    files=$(cd "$scratch/program/usr" && find . -type f -printf '%P\n' | sort)
    [ "$files" = "$program_files" ] || fail "the program's package holds:"$'\n'"$files"
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

# The stand-in card's library in /usr/local/lib, registered by ldconfig, as a card's maker installs it.
install_card() {
    cp "$standin/libivrlib32.so" /usr/local/lib/
    ldconfig
}

# upgrade_row FROM HOW [CARD]: in a throwaway system, the packages of the earlier release FROM (a folder
# of ../shared/releases; none: a fresh install) installed with dpkg, the stand-in card's library beside
# them when CARD is "installed", then these packages installed by HOW; then both are installed, at this
# version, and the program runs on the card where there is one, else on the simulated boards.
upgrade_row() {
    local from=$1 how=$2 card=${3:-}
    local what=${from:-fresh}-$how${card:+-card}
    fresh_system "$what"
    [ -z "$from" ] || quietly dpkg -i "$releases/$from"/*.deb
    [ -z "$card" ] || install_card
    case "$how" in
        apt-upgrade)
            quietly apt-get "${apt_options[@]}" update
            quietly env DEBIAN_FRONTEND=noninteractive apt "${apt_options[@]}" upgrade -y
            ;;
        apt-install) quietly env DEBIAN_FRONTEND=noninteractive apt "${apt_options[@]}" install -y "$program_deb" "$simulator_deb" ;;
        dpkg-program-first) quietly dpkg -i "$program_deb" "$simulator_deb" ;;
        dpkg-simulator-first)
            # Over an earlier program dpkg stops at the simulated boards, which break it, and installs
            # the program; the same command again installs the simulated boards (docs/installing.md).
            dpkg -i "$simulator_deb" "$program_deb" >"$scratch/command.log" 2>&1 ||
                quietly dpkg -i "$simulator_deb" "$program_deb"
            ;;
    esac
    local state
    state=$(dpkg-query -W -f='${Package} ${Version} ${Status}\n' orvane-readout orvane-readout-simulated-boards)
    [ "$state" = "orvane-readout $version install ok installed"$'\n'"orvane-readout-simulated-boards $version install ok installed" ] ||
        fail "$what: the packages are"$'\n'"$state"
    check_run "$what" /usr/bin/orvane-readout "$card"
}

if [ -n "$in_namespace" ] && ((failures == 0)); then
    version=$(dpkg-deb -f "$program_deb" Version)
    # A repository of these packages, the only one apt reads, in the test's own folder, which only root
    # reads (apt reads it as root, not as its sandbox's user).
    repository=$scratch/repository
    mkdir -p "$repository/parts"
    cp "$program_deb" "$simulator_deb" "$repository/"
    (cd "$repository" && dpkg-scanpackages . /dev/null >Packages 2>/dev/null)
    echo "deb [trusted=yes] file:$repository ./" >"$repository/sources.list"
    apt_options=(-o "Dir::Etc::SourceList=$repository/sources.list" -o "Dir::Etc::SourceParts=$repository/parts"
        -o APT::Sandbox::User=root)

    # The installed prefix: a card's library in /usr/local/lib comes before its simulated boards.
    fresh_system prefix-card
    install_card
    check_run prefix-card "$scratch/prefix/bin/orvane-readout" installed
    # Both packages fresh: the simulated boards, then a card's library in /usr/local/lib before them, and
    # one in /usr/lib after the command docs/card.md gives for it.
    upgrade_row "" apt-install
    install_card
    check_run fresh-card /usr/bin/orvane-readout installed
    rm /usr/local/lib/libivrlib32.so
    cp "$standin/libivrlib32.so" /usr/lib/
    ln -s /usr/lib/libivrlib32.so /usr/local/lib/ && ldconfig
    check_run fresh-card-usr-lib /usr/bin/orvane-readout installed
    # The program's package removed: its documents, the operator's guide among them, go with it.
    quietly dpkg -r orvane-readout
    [ ! -e /usr/share/doc/orvane-readout ] || fail "removing the program's package left /usr/share/doc/orvane-readout"

    # Every upgrade path from each earlier layout, half of them with a card. They try the packages'
    # fields and scripts, which the sanitizer build makes no differently: only in the other builds.
    releases=$source/../shared/releases noted=""
    if grep -qx 'READOUT_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
        echo "NOTE: the sanitizer build: the upgrades from the earlier releases are not tried"
        releases=""
    fi
    for row in "1.0.0-ca864f6 apt-upgrade" "1.0.0-ca864f6 apt-install installed" \
        "1.0.0-ca864f6 dpkg-program-first" "1.0.0-ca864f6 dpkg-simulator-first installed" \
        "1.0.0-0fe3a53 apt-upgrade installed" "1.0.0-0fe3a53 apt-install" \
        "1.0.0-0fe3a53 dpkg-program-first installed" "1.0.0-0fe3a53 dpkg-simulator-first" \
        "1.1.0-e4fc422 apt-upgrade installed" "1.1.0-e4fc422 dpkg-simulator-first"; do
        read -r from how card <<<"$row"
        if [ -z "$releases" ]; then
            break
        elif [ -d "$releases/$from" ]; then
            upgrade_row "$from" "$how" "$card"
        elif [[ "$noted" != *" $from "* ]]; then
            echo "NOTE: no $releases/$from: the upgrades from it are not tried"
            noted+=" $from "
        fi
    done
    leave_system
fi

if ((failures == 0 && ${#skipped[@]})); then
    echo "SKIP: ${skipped[*]} missing (scripts/setup.sh installs them); everything else passed"
    exit 77
fi
finish "installed from the prefix and from the package"
