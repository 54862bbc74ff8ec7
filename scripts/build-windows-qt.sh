#!/usr/bin/env bash
# Builds the Qt for Windows the Windows leg (test-windows.sh) builds the readout with, cross-compiled with
# Debian's mingw-w64 POSIX compilers from Debian 12's own source package (Debian's patches applied),
# Release, shared libraries: Core, Gui, Widgets and Test, the qwindows and qoffscreen platform plugins and
# the windowsvista style.
# - 32: Qt 5.15.8 (qtbase-opensource-src), which runs from Windows 7 SP1 on. Leaves
#   OUTDIR/qt5.15.8-mingw32.tar.xz, which unpacks to qt5-mingw32/: the DLLs and the host tools (moc, rcc,
#   uic, qmake, built for this machine) in bin/, and the cross toolchain file mingw32.cmake beside lib/,
#   which finds that Qt wherever it is unpacked.
# - 64: Qt 6.4.2 (qt6-base), which runs from Windows 10 1809 on. Leaves OUTDIR/qt6.4.2-mingw64.tar.xz,
#   which unpacks to qt6-mingw64/ with the cross toolchain file beside lib/ (qt6-mingw64/mingw64.cmake),
#   and a copy of that toolchain file as OUTDIR/mingw64.cmake.
# About 40 minutes a build on 2 cores. Run as root on Debian 12; installs what it lacks and adds the
# bookworm source lists (/etc/apt/sources.list.d/readout-qt-source.sources) when apt has none.
# Usage: build-windows-qt.sh 32|64 [OUTDIR]   (OUTDIR defaults to build-win-qt/ of the checkout)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

usage() {
    echo "usage: $0 32|64 [OUTDIR]" >&2
    exit 2
}
(($# == 1 || $# == 2)) || usage
bits=$1
case $bits in
32)
    triple=i686-w64-mingw32
    processor=X86
    compiler_package=g++-mingw-w64-i686-posix
    ;;
64)
    triple=x86_64-w64-mingw32
    processor=AMD64
    compiler_package=g++-mingw-w64-x86-64-posix
    ;;
*) usage ;;
esac
out=${2:-$READOUT_ROOT/build-win-qt}
mkdir -p "$out"
out=$(cd "$out" && pwd)
if [ "$bits" = 32 ]; then
    name=qt5-mingw32
    archive=$out/qt5.15.8-mingw32.tar.xz
else
    name=qt6-mingw$bits
    archive=$out/qt6.4.2-mingw$bits.tar.xz
fi
work=$out/work-mingw$bits
prefix=$work/stage/$name
started=$SECONDS

step() {
    printf '== [%s, %dm%02ds] %s\n' "$name" $(((SECONDS - started) / 60)) $(((SECONDS - started) % 60)) "$*"
}

# add_source_lists PACKAGE VERSION: the bookworm source lists, when apt finds no PACKAGE source of VERSION.
add_source_lists() {
    if ! apt-cache showsrc "$1" 2>/dev/null | grep -q "^Version: $2"; then
        step "Source lists for bookworm"
        readout_as_root tee /etc/apt/sources.list.d/readout-qt-source.sources >/dev/null <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
        readout_as_root apt-get update -qq
    fi
}

# archive_stage FILE...: checks that the build made each FILE, then packs the stage into the archive.
archive_stage() {
    step "Archive"
    local file
    for file in "$@"; do
        [ -e "$prefix/$file" ] || {
            echo "The build made no $file." >&2
            exit 1
        }
    done
    tar -C "$work/stage" -cJf "$archive.part" "$name"
    mv "$archive.part" "$archive"
}

if [ "$bits" = 32 ]; then
    step "Debian packages"
    # Qt 5 builds its host tools (moc, rcc, uic, qmake) itself, with this machine's compiler.
    readout_install_missing "$compiler_package" g++ make perl python3 dpkg-dev xz-utils
    add_source_lists qtbase-opensource-src 5.15.8
    src=$work/qtbase-opensource-src-5.15.8
    if [ ! -f "$work/.source-ready" ]; then
        step "Source: qtbase-opensource-src 5.15.8 (with Debian's patches)"
        rm -rf "$work"
        mkdir -p "$work"
        (cd "$work" && apt-get source -qq qtbase-opensource-src)
        unpacked=$(ls -d "$work"/qtbase-opensource-src-5.15.8*/ | head -n 1)
        [ "${unpacked%/}" = "$src" ] || mv "${unpacked%/}" "$src"
        touch "$work/.source-ready"
    fi
    # Qt's win32-g++ make specification calls the cross compilers CROSS_COMPILE + gcc and g++: those names
    # lead to the POSIX-thread ones, whose runtime (libwinpthread) the program ships.
    mkdir -p "$work/cross" "$work/build"
    for tool in gcc g++; do ln -sf "/usr/bin/$triple-$tool-posix" "$work/cross/$triple-$tool"; done
    step "Configure"
    # Only what the readout uses. The Debian source has no Wintab headers: no tablet input. The third-party
    # libraries Qt carries are built in, so the program needs no DLL of the mingw sysroot beyond its
    # runtime. No Direct2D: the platform plugin uses GDI's font database, as the Qt 6 build does.
    (cd "$work/build" && PATH=$work/cross:$PATH "$src/configure" -xplatform win32-g++ \
        -device-option CROSS_COMPILE=$triple- -platform linux-g++ -prefix "$prefix" \
        -opensource -confirm-license -release -shared -nomake examples -nomake tests \
        -no-opengl -no-dbus -no-icu -no-fontconfig -no-direct2d \
        -no-feature-network -no-feature-sql -no-feature-xml -no-feature-concurrent -no-feature-printer \
        -no-feature-tabletevent -qt-zlib -qt-libpng -qt-libjpeg -qt-pcre -qt-harfbuzz -qt-freetype \
        >"$work/configure.log" 2>&1) || {
        tail -n 40 "$work/configure.log"
        exit 1
    }
    step "Build (make, logged in $work/make.log)"
    (cd "$work/build" && PATH=$work/cross:$PATH make -j"$(nproc)" >"$work/make.log" 2>&1) || {
        tail -n 40 "$work/make.log"
        exit 1
    }
    step "Install"
    (cd "$work/build" && make install >/dev/null)
    "$triple-strip" --strip-unneeded "$prefix"/bin/*.dll "$prefix"/plugins/*/*.dll
    rm -rf "$prefix/doc"
    # No path of this machine in the text files: Qt 5's CMake packages find their prefix from their own
    # place, and the host tools theirs from qt.conf.
    for file in $(grep -rlI -e "$work" "$prefix" || true); do
        sed -i -e "s|$prefix|/usr/local/$name|g" -e "s|$src|/build/qtbase|g" -e "s|$work/build|/build/qtbase-build|g" "$file"
    done
    printf '[Paths]\nPrefix=..\n' >"$prefix/bin/qt.conf"
    # The cross toolchain file travels inside: with it as CMAKE_TOOLCHAIN_FILE, find_package(Qt5) finds
    # this Qt wherever the archive is unpacked.
    cat >"$prefix/mingw32.cmake" <<'EOF'
# Cross-compiles for 32-bit Windows with Debian's mingw-w64 (POSIX threads) against the Qt 5 in this folder:
# use it as CMAKE_TOOLCHAIN_FILE; find_package(Qt5) then finds this Qt wherever the folder is unpacked.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR X86)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
get_filename_component(_readout_qt5_prefix "${CMAKE_CURRENT_LIST_DIR}" ABSOLUTE)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32 "${_readout_qt5_prefix}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
    archive_stage bin/Qt5Core.dll bin/Qt5Gui.dll bin/Qt5Widgets.dll bin/Qt5Test.dll bin/moc bin/rcc bin/uic \
        plugins/platforms/qwindows.dll plugins/platforms/qoffscreen.dll plugins/styles/qwindowsvistastyle.dll
    rm -rf "$work"
    step "Done: $archive"
    exit 0
fi

step "Debian packages"
# qt6-base-dev-tools gives moc, rcc and uic; qt6-base-dev the CMake packages that describe them. Both must
# be the Qt version that is being built, so the source package is taken at their version.
readout_install_missing "$compiler_package" cmake ninja-build qt6-base-dev qt6-base-dev-tools dpkg-dev xz-utils
version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
case $version in
6.4.2+*) ;;
*)
    echo "qt6-base-dev-tools is $version; this build needs Debian 12's Qt 6.4.2." >&2
    exit 1
    ;;
esac

add_source_lists qt6-base "$version"

src=$work/qt6-base-${version%-*}
if [ ! -f "$work/.source-ready" ]; then
    step "Source: qt6-base $version (with Debian's patches)"
    rm -rf "$work"
    mkdir -p "$work"
    (cd "$work" && apt-get source -qq "qt6-base=$version")

    # Debian's source has no Wintab headers, which the tablet input of the Windows platform plugin is
    # built on: the plugin is built without tablet input.
    plugin=$src/src/plugins/platforms/windows
    grep -q 'CONDITION QT_FEATURE_tabletevent' "$plugin/CMakeLists.txt"
    sed -i 's/CONDITION QT_FEATURE_tabletevent/CONDITION OFF/' "$plugin/CMakeLists.txt"
    for file in $(grep -l 'QT_CONFIG(tabletevent)' "$plugin"/*.cpp "$plugin"/*.h); do
        sed -i 's/QT_CONFIG(tabletevent)/0/' "$file"
    done
    # The minimal platform plugin has no switch of its own; the readout runs on qwindows and, headless,
    # on qoffscreen.
    platforms=$src/src/plugins/platforms/CMakeLists.txt
    grep -q '^    add_subdirectory(minimal)$' "$platforms"
    sed -i '/^    add_subdirectory(minimal)$/d' "$platforms"
    touch "$work/.source-ready"
fi

# The cross toolchain file: Debian's POSIX-thread compilers for the triple, libraries and headers from
# its sysroot only. It travels in the archive beside lib/.
mkdir -p "$prefix"
cat >"$prefix/mingw$bits.cmake" <<EOF
# Cross-compiles for $bits-bit Windows with Debian's mingw-w64 (POSIX threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR $processor)
set(CMAKE_C_COMPILER $triple-gcc-posix)
set(CMAKE_CXX_COMPILER $triple-g++-posix)
set(CMAKE_RC_COMPILER $triple-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$triple)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF

step "Configure"
# Only what the readout uses. The third-party libraries Qt carries are built in: the mingw sysroot's own
# (zlib) would be DLLs the program would then need beside it. No Direct2D, so no DirectWrite font
# database: the platform plugin uses GDI's. Debian's source builds the Android deployment tool even
# when cross-compiling; it is of no use here.
build_flags="-ffile-prefix-map=$src=/build/qtbase"
cmake -S "$src" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw$bits.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
    -DCMAKE_C_FLAGS="$build_flags" -DCMAKE_CXX_FLAGS="$build_flags" \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DFEATURE_concurrent=OFF -DFEATURE_dbus=OFF -DFEATURE_network=OFF -DFEATURE_printsupport=OFF \
    -DFEATURE_sql=OFF -DFEATURE_xml=OFF -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_vulkan=OFF \
    -DFEATURE_direct2d=OFF -DFEATURE_directwrite3=OFF -DFEATURE_androiddeployqt=OFF \
    -DFEATURE_gif=OFF -DFEATURE_ico=OFF -DFEATURE_jpeg=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF \
    -DFEATURE_system_doubleconversion=OFF >"$work/configure.log"
sed -n '/^Qt modules and options:/,/^Support enabled for:/p' "$work/configure.log" | sed '$d'

step "Build (ninja prints [done/total])"
cmake --build "$work/build" --parallel "$(nproc)"

step "Install"
cmake --install "$work/build" >/dev/null
"$triple-strip" --strip-unneeded "$prefix"/bin/*.dll "$prefix"/plugins/*/*.dll
rm -rf "$prefix/doc"
# Relocatable: Qt's toolchain file loads the cross toolchain file from its own place, pkg-config finds the
# prefix from the .pc file's, and the rest names no path of this machine.
sed -i "s|$prefix/mingw$bits.cmake|\${CMAKE_CURRENT_LIST_DIR}/../../../mingw$bits.cmake|" \
    "$prefix/lib/cmake/Qt6/qt.toolchain.cmake"
if [ -d "$prefix/lib/pkgconfig" ]; then
    sed -i "s|^prefix=$prefix\$|prefix=\${pcfiledir}/../..|" "$prefix"/lib/pkgconfig/*.pc
fi
for file in $(grep -rlI -e "$work" "$prefix" || true); do
    sed -i -e "s|$prefix|/usr/local/$name|g" -e "s|$src|/build/qtbase|g" -e "s|$work/build|/build/qtbase-build|g" "$file"
done

archive_stage bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll bin/Qt6Test.dll plugins/platforms/qwindows.dll \
    plugins/platforms/qoffscreen.dll plugins/styles/qwindowsvistastyle.dll
cp "$prefix/mingw$bits.cmake" "$out/mingw$bits.cmake"
rm -rf "$work"
step "Done: $archive"
