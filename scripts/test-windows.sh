#!/usr/bin/env bash
# The Windows leg, from Debian: builds the readout for 32-bit Windows (build-win32/, the build a card's
# owner installs, since the vendor's ivrlib32.dll is a 32-bit library) and 64-bit Windows (build-win64/,
# simulated boards only) with Qt for Windows and Debian's mingw-w64, runs every test of each under wine
# through CTest (headless tests offscreen, the rest on Xvfb), each leg in a fresh wine prefix; the test
# package_windows builds each leg's installer into its build folder. Run as root on Debian 12; installs
# what it lacks.
# Usage: test-windows.sh [32|64]   (both legs unless one is named)
#
# test_upgrade_windows tries the earlier releases' installers (upgrades from them, downgrades to them)
# from the folder READOUT_RELEASES names, else from ../shared/releases beside the checkout when it is there
# (CI has it); READOUT_RELEASES= (empty) leaves them out.
#
# Qt for Windows: Qt 5.15.8 for the 32-bit leg (qt5.15.8-mingw32.tar.xz, with its toolchain file inside),
# since Qt 6 supports no Windows before 10 and the 32-bit program runs from Windows 7 SP1 on; Qt 6.4.2 for
# the 64-bit leg (qt6.4.2-mingw64.tar.xz, with the toolchain file mingw64.cmake beside it or inside it). It
# comes from the folder READOUT_TOOLCHAINS names, else from ../shared/toolchains beside the checkout when
# it is there, else from build-win-qt/, where scripts/build-windows-qt.sh builds it the first time. The
# 32-bit tests run in a wine prefix that reports Windows 7, the 64-bit ones in one that reports Windows 10:
# each build's oldest.
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
# Each leg's Qt: its archive, the folder it unpacks to, and the Windows its prefix reports.
declare -A qt_archive=([32]=qt5.15.8-mingw32.tar.xz [64]=qt6.4.2-mingw64.tar.xz)
declare -A qt_folder=([32]=qt5-mingw32 [64]=qt6-mingw64)
declare -A windows_version=([32]=win7 [64]=win10)
if [ -n "${READOUT_TOOLCHAINS:-}" ]; then
    toolchains=$READOUT_TOOLCHAINS
elif [ -d "$READOUT_ROOT/../shared/toolchains" ]; then
    toolchains=$READOUT_ROOT/../shared/toolchains
else
    toolchains=$qt_root
    for bits in "${legs[@]}"; do
        if [ ! -f "$qt_root/${qt_archive[$bits]}" ]; then
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
    if [ ! -f "$toolchains/${qt_archive[$bits]}" ]; then
        echo "The Windows toolchains are missing: $toolchains/${qt_archive[$bits]} not found." >&2
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
# Everything the legs and their tests use: the 64-bit leg's Qt takes its host tools and their CMake
# packages from qt6-base-dev-tools and qt6-base-dev; the installer tests read the files with strings
# (binutils) and the cross objdump (binutils-mingw-w64), and find the program's window with xwininfo.
readout_install_missing cmake ninja-build qt6-base-dev qt6-base-dev-tools \
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils binutils-mingw-w64-i686 \
    binutils-mingw-w64-x86-64 wine wine64 wine32:i386 nsis xvfb xauth x11-utils fonts-dejavu-core
readout_install_missing python3-markdown # makes the operator's guide, which the installers carry
export WINEDEBUG=-all
# No desktop entries of this machine for the shortcuts the installers make inside the prefixes.
export WINEDLLOVERRIDES="winemenubuilder.exe=d"

# The toolchains unpack once into a folder of the build trees' own, again when the archive is another
# one or newer. Qt 6's cross toolchain file is the toolchains folder's, else the one inside the archive,
# which Qt's own toolchain file loads; Qt 5's is the one inside its archive, which finds that Qt.
declare -A qt_options
for bits in "${legs[@]}"; do
    archive=$toolchains/${qt_archive[$bits]}
    qt_dir=$qt_root/${qt_folder[$bits]}
    stamp="$qt_dir/.unpacked"
    if [ ! -f "$stamp" ] || [ "$archive" -nt "$stamp" ] || [ "$(cat "$stamp")" != "$archive" ]; then
        # A build tree is configured and built against one Qt: it starts afresh with another.
        echo "Unpacking $archive (build-win$bits/ starts afresh)"
        rm -rf "$qt_dir" "$READOUT_ROOT/build-win$bits"
        mkdir -p "$qt_root"
        tar -C "$qt_root" -xJf "$archive"
        echo "$archive" >"$stamp"
    fi
    if [ "$bits" = 32 ]; then
        toolchain_file=$qt_dir/mingw32.cmake
        qt_options[$bits]="-DCMAKE_TOOLCHAIN_FILE=$toolchain_file"
    else
        toolchain_file="$toolchains/mingw$bits.cmake"
        [ -f "$toolchain_file" ] || toolchain_file="$qt_dir/mingw$bits.cmake"
        qt_options[$bits]="-DCMAKE_TOOLCHAIN_FILE=$qt_dir/lib/cmake/Qt6/qt.toolchain.cmake
            -DQT_CHAINLOAD_TOOLCHAIN_FILE=$toolchain_file -DQT_HOST_PATH=/usr
            -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake"
    fi
    if [ ! -f "$toolchain_file" ]; then
        echo "No cross toolchain file mingw$bits.cmake in $toolchains or in ${qt_archive[$bits]}." >&2
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
        # test_install_windows installs the 32-bit installer, which the 32-bit leg's package_windows test
        # made, beside the 64-bit one.
        export READOUT_WIN32_INSTALLER
        READOUT_WIN32_INSTALLER=$(ls "$READOUT_ROOT/build-win32"/orvane-readout-*-win32.exe 2>/dev/null || true)
    fi
    started=$SECONDS
    echo "== Windows $bits-bit: configure and build"
    # shellcheck disable=SC2086 # the options are words without blanks
    cmake -S "$READOUT_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release ${qt_options[$bits]} \
        -DCMAKE_CROSSCOMPILING_EMULATOR="$emulator" >/dev/null
    cmake --build "$build"

    # A fresh prefix for the leg: no registry, no files of an earlier run.
    export WINEPREFIX="$build/wineprefix"
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    "$emulator" wineboot -i >/dev/null 2>&1
    # The Windows the prefix reports: the oldest the build supports (the installer tests make prefixes
    # of their own from the same setting).
    export READOUT_WINE_VERSION=${windows_version[$bits]}
    "$emulator" reg add 'HKCU\Software\Wine' /v Version /d "$READOUT_WINE_VERSION" /f >/dev/null 2>&1
    reported=$("$emulator" cmd /c ver 2>/dev/null | tr -d '\r' | grep .)
    # Its desktop process was started without a display: the tests' windows need one started on Xvfb, so
    # every process of the prefix has ended before they start.
    wineserver -w
    echo "== Windows $bits-bit: the prefix reports $reported"
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
