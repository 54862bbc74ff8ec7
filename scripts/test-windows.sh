#!/usr/bin/env bash
# The Windows leg, from Debian: builds the readout for 32-bit Windows (build-win32/, the build a card's
# owner installs, since the vendor's ivrlib32.dll is a 32-bit library) and 64-bit Windows (build-win64/,
# simulated boards only) with Qt for Windows and Debian's mingw-w64, runs every test of each under wine
# through CTest (headless tests offscreen, the rest on Xvfb), each leg in a fresh wine prefix, and builds
# the installers. Run as root on Debian 12; installs what it lacks.
# Usage: test-windows.sh [32|64]   (both legs unless one is named)
#
# The installer's test also tries the earlier releases' installers (upgrades from them, downgrades to them)
# from the folder READOUT_RELEASES names, else from ../shared/releases beside the checkout when it is there
# (CI has it); READOUT_RELEASES= (empty) leaves them out.
#
# Qt for Windows (qt6.4.2-mingwBITS.tar.xz, with the toolchain file mingwBITS.cmake beside it or inside it)
# comes from the folder READOUT_TOOLCHAINS names, else from ../shared/toolchains beside the checkout when
# it is there, else from build-win-qt/, where scripts/build-windows-qt.sh builds it the first time.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

case ${1:-both} in
32 | 64) legs=("$1") ;;
both) legs=(32 64) ;;
*)
    echo "usage: $0 [32|64]" >&2
    exit 2
    ;;
esac
if [ -z "${READOUT_RELEASES+set}" ] && [ -d "$READOUT_ROOT/../shared/releases" ]; then
    READOUT_RELEASES=$READOUT_ROOT/../shared/releases
fi
if [ -n "${READOUT_RELEASES:-}" ]; then
    if [ ! -d "$READOUT_RELEASES" ]; then
        echo "No earlier releases in $READOUT_RELEASES: set READOUT_RELEASES to their folder, or to nothing." >&2
        exit 2
    fi
    export READOUT_RELEASES
    READOUT_RELEASES=$(cd "$READOUT_RELEASES" && pwd)
else
    unset READOUT_RELEASES
fi

qt_root="$READOUT_ROOT/build-win-qt"
if [ -n "${READOUT_TOOLCHAINS:-}" ]; then
    toolchains=$READOUT_TOOLCHAINS
elif [ -d "$READOUT_ROOT/../shared/toolchains" ]; then
    toolchains=$READOUT_ROOT/../shared/toolchains
else
    toolchains=$qt_root
    for bits in "${legs[@]}"; do
        if [ ! -f "$qt_root/qt6.4.2-mingw$bits.tar.xz" ]; then
            echo "== No Qt for $bits-bit Windows at hand (no READOUT_TOOLCHAINS, no ../shared/toolchains):"
            echo "   building it into build-win-qt/ with scripts/build-windows-qt.sh $bits (about 40 minutes on 2 cores)"
            bash "$READOUT_ROOT/scripts/build-windows-qt.sh" "$bits" "$qt_root"
        fi
    done
fi
if [ ! -d "$toolchains" ]; then
    echo "The Windows toolchains are missing: no folder $toolchains." >&2
    exit 2
fi
toolchains=$(cd "$toolchains" && pwd)
for bits in "${legs[@]}"; do
    if [ ! -f "$toolchains/qt6.4.2-mingw$bits.tar.xz" ]; then
        echo "The Windows toolchains are missing: $toolchains/qt6.4.2-mingw$bits.tar.xz not found." >&2
        echo "Set READOUT_TOOLCHAINS to the folder that holds it, or leave it unset to have" >&2
        echo "scripts/build-windows-qt.sh build it into build-win-qt/ (without ../shared/toolchains)." >&2
        exit 2
    fi
done

# 32-bit wine needs the i386 architecture before its package can be found.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "Adding the i386 architecture for wine32"
    readout_as_root dpkg --add-architecture i386
fi
readout_install_missing cmake ninja-build qt6-base-dev-tools \
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix \
    wine wine64 wine32:i386 nsis xvfb xauth fonts-dejavu-core
readout_install_missing python3-markdown # makes the operator's guide, which the installers carry
export WINEDEBUG=-all
# No desktop entries of this machine for the shortcuts the installers make inside the prefixes.
export WINEDLLOVERRIDES="winemenubuilder.exe=d"

# The toolchains unpack once into a folder of the build trees' own, again when the archive is another
# one or newer. The cross toolchain file is the toolchains folder's, else the one inside the archive.
declare -A toolchain_file
for bits in "${legs[@]}"; do
    archive=$toolchains/qt6.4.2-mingw$bits.tar.xz
    stamp="$qt_root/qt6-mingw$bits/.unpacked"
    if [ ! -f "$stamp" ] || [ "$archive" -nt "$stamp" ] || [ "$(cat "$stamp")" != "$archive" ]; then
        # A build tree is configured and built against one Qt: it starts afresh with another.
        echo "Unpacking $archive (build-win$bits/ starts afresh)"
        rm -rf "$qt_root/qt6-mingw$bits" "$READOUT_ROOT/build-win$bits"
        mkdir -p "$qt_root"
        tar -C "$qt_root" -xJf "$archive"
        echo "$archive" >"$stamp"
    fi
    toolchain_file[$bits]="$toolchains/mingw$bits.cmake"
    [ -f "${toolchain_file[$bits]}" ] || toolchain_file[$bits]="$qt_root/qt6-mingw$bits/mingw$bits.cmake"
    if [ ! -f "${toolchain_file[$bits]}" ]; then
        echo "No cross toolchain file mingw$bits.cmake in $toolchains or in its archive." >&2
        exit 2
    fi
done

status=0
declare -A seconds
for bits in "${legs[@]}"; do
    build="$READOUT_ROOT/build-win$bits"
    if [ "$bits" = 32 ]; then
        emulator=/usr/lib/wine/wine
        export WINEARCH=win32
    else
        emulator=/usr/lib/wine/wine64
        export WINEARCH=win64
        # test_install_windows installs the 32-bit installer beside the 64-bit one.
        export READOUT_WIN32_INSTALLER
        READOUT_WIN32_INSTALLER=$(ls "$READOUT_ROOT/build-win32"/orvane-readout-*-win32.exe 2>/dev/null || true)
    fi
    started=$SECONDS
    echo "== Windows $bits-bit: configure and build"
    cmake -S "$READOUT_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$qt_root/qt6-mingw$bits/lib/cmake/Qt6/qt.toolchain.cmake" \
        -DQT_CHAINLOAD_TOOLCHAIN_FILE="${toolchain_file[$bits]}" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_CROSSCOMPILING_EMULATOR="$emulator" >/dev/null
    cmake --build "$build"

    echo "== Windows $bits-bit: installer"
    (cd "$build" && cpack -G NSIS >/dev/null) || status=1

    # A fresh prefix for the leg: no registry, no files of an earlier run.
    export WINEPREFIX="$build/wineprefix"
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    "$emulator" wineboot -i >/dev/null 2>&1
    # Its desktop process was started without a display: the tests' windows need one started on Xvfb.
    wineserver -w
    echo "== Windows $bits-bit: tests under wine"
    leg_status=0
    readout_xvfb ctest --test-dir "$build" --output-on-failure --timeout 600 -j2 2>&1 | tee "$build/ctest.log" ||
        leg_status=$?
    wineserver -k 2>/dev/null || true
    ((leg_status == 0)) || status=1
    seconds[$bits]=$((SECONDS - started))
done

echo
echo "== Summary, Windows"
for bits in "${legs[@]}"; do
    echo "-- Windows $bits-bit (build, installer and tests ${seconds[$bits]}s)"
    ls "$READOUT_ROOT/build-win$bits"/orvane-readout-*.exe 2>/dev/null | sed 's/^/   installer: /'
    sed -n "/tests passed, /,\$p" "$READOUT_ROOT/build-win$bits/ctest.log"
done
exit "$status"
