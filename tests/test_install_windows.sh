#!/usr/bin/env bash
# The Windows installer, under wine, each case in a fresh wine prefix: built by CPack with NSIS and
# installed silently (/S). Without a card's library the simulated boards are installed, and the program,
# started from the Start-menu shortcut's target, runs on them and says so in its title; its files, icon,
# version block, the operator's guide with its shortcut and the settings in the registry are checked, and
# a silent uninstall leaves nothing, also after the simulator's file time changed. With a stand-in card library in the system folder the 32-bit
# installer leaves the simulator out and the program uses the card's library under its plain title;
# /SIMULATED=1 puts the simulator in all the same, and /SIMULATED=0 takes it out again, but while the
# program runs (known by its mutex alone: the build tree's) neither it nor the uninstaller changes
# anything, the entry and the shortcuts stay, and both end with exit status 2. A card
# owner's ivrlib32.dll in the program's folder is the same bytes after reinstalls and after the
# uninstaller. The 64-bit leg also installs the 32-bit installer named by READOUT_WIN32_INSTALLER
# (scripts/test-windows.sh sets it) beside its own, in either order: both run, each uninstalls without
# touching the other, and the two uninstalls leave no file, shortcut or uninstall entry.
#
# Moves between installations: a second install into another folder (/D=) goes where the first is; a
# library in the Windows folder or on PATH is not taken for a card's; the 64-bit installer beside a
# 32-bit card's library ends with a non-zero status and installs nothing unless /SIMULATED=1; a file that
# cannot be written stops a silent install with exit status 2 before any record is written. On a Windows
# older than the build's oldest (the 32-bit one on Vista, the 64-bit one on 7 and 8.1) the installer ends
# with exit status 3 and writes nothing. Every PE file the 32-bit installer puts in place imports nothing
# that Windows 7 SP1 lacks (tests/newer_than_windows7.txt), where 1.1.0's did. With the
# earlier releases' installers (the folder READOUT_RELEASES names, which scripts/test-windows.sh sets
# to ../shared/releases when it is there): an upgrade from each installs in place, keeps the simulator the installer's own and
# removes the earlier shortcut names and the earlier Qt's files; a downgrade leaves a working earlier
# program (1.1.0's is run), and the earlier uninstaller nothing but what it does not know: this release's
# guide and its shortcut, and after the 32-bit build its Qt 5 libraries; and an uninstaller whose folder
# the entry no longer names leaves the entry and the shortcuts.
#
# usage: test_install_windows.sh BUILD_DIR CPACK WINE OBJDUMP STANDIN_DLL
set -euo pipefail
build=$1 cpack=$2 wine=$3 objdump=$4 standin=$5

source "$(dirname "${BASH_SOURCE[0]}")/install_checks.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/setup.sh"
# A missing tool fails the test: scripts/test-windows.sh installs every one.
for tool in "$wine" wineserver strings "$objdump" xwininfo md5sum; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/test-windows.sh installs it)"; exit 1; }
done
[ -n "${DISPLAY:-}" ] || { echo "SKIP: no display for the program's window (scripts/test-windows.sh runs on Xvfb)"; exit 77; }
export WINEDEBUG=-all
# No desktop entries of the host for the shortcuts made inside the prefix.
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
cleanup_more() { wineserver -k 2>/dev/null || true; }
# Every wine command here runs in a prefix of the test's own: the leg's prefix, where the other tests run
# at the same time, is never touched, nor its wine server ended.
export WINEPREFIX=$scratch/none

quietly "$cpack" --config "$build/CPackConfig.cmake" -B "$scratch/package"
installers=("$scratch"/package/orvane-readout-*-win*.exe)
[ "${#installers[@]}" -eq 1 ] && [ -f "${installers[0]}" ] || { echo "FAIL: no single installer: ${installers[*]}"; exit 1; }
installer=${installers[0]}
case "$(basename "$installer")" in
    orvane-readout-[0-9]*.[0-9]*.[0-9]*-win32.exe) bits=32 ;;
    orvane-readout-[0-9]*.[0-9]*.[0-9]*-win64.exe) bits=64 ;;
    *) echo "FAIL: the installer is named $(basename "$installer")"; exit 1 ;;
esac
export WINEARCH=win$bits
# The Windows each prefix reports unless a case names another: the build's oldest, as the leg's prefix.
default_version=${READOUT_WINE_VERSION:-win7}
[ "$bits" = 32 ] || default_version=${READOUT_WINE_VERSION:-win10}
# The Qt the build was made with, whose libraries are installed: Qt5Core.dll or Qt6Core.dll.
qt=$(cd "$build/bin" && ls Qt?Core.dll | head -n 1)
qt=${qt%Core.dll}
[ "$qt" = Qt5 ] || [ "$qt" = Qt6 ] || { echo "FAIL: no Qt library in $build/bin"; exit 1; }
declare -A installer_of=([$bits]=$installer) homes targets
if [ "$bits" = 64 ]; then
    if [ -n "${READOUT_WIN32_INSTALLER:-}" ]; then
        [ -f "$READOUT_WIN32_INSTALLER" ] || { echo "FAIL: no 32-bit installer $READOUT_WIN32_INSTALLER"; exit 1; }
        installer_of[32]=$READOUT_WIN32_INSTALLER
    else
        echo "NOTE: no READOUT_WIN32_INSTALLER: the two builds side by side are not tried"
    fi
fi
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvane 001 - Digital Readout'

# new_prefix NAME [VERSION]: a fresh prefix of the installer's width, a copy of one prefix booted once
# (quicker than booting each), reporting the Windows VERSION names (win7, vista, win81, win10; the
# build's oldest unless named); its system folders, which nothing here changes, are hard links. `system`
# is the system folder as the program sees it.
new_prefix() {
    wineserver -k 2>/dev/null || true
    local booted=$scratch/booted folder
    if [ ! -d "$booted" ]; then
        WINEPREFIX=$booted quietly "$wine" wineboot -i
        WINEPREFIX=$booted wineserver -w
    fi
    export WINEPREFIX=$scratch/$1
    mkdir "$WINEPREFIX"
    tar -C "$booted" --exclude=./drive_c/windows/system32 --exclude=./drive_c/windows/syswow64 -cf - . |
        tar -C "$WINEPREFIX" -xf -
    for folder in system32 syswow64; do
        [ ! -d "$booted/drive_c/windows/$folder" ] || cp -al "$booted/drive_c/windows/$folder" "$WINEPREFIX/drive_c/windows/"
    done
    drive=$WINEPREFIX/drive_c
    system=$drive/windows/system32
    quietly "$wine" reg add 'HKCU\Software\Wine' /v Version /d "${2:-$default_version}" /f
}

# install_build BITS ARG...: runs the installer of that width silently; sets `target` (its shortcut's
# target), `home` (its installation folder) and `shortcut`, and keeps the first two in `targets` and `homes`.
install_build() {
    local width=$1 name='Orvane 001 - Digital Readout' folder='C:\Program Files'
    shift
    quietly "$wine" "${installer_of[$width]}" /S "$@"
    wineserver -w
    [ "$width" = 32 ] || name="$name (64-bit)"
    [ "$width$WINEARCH" != 32win64 ] || folder='C:\Program Files (x86)'
    shortcut=$(find "$drive" -name "$name.lnk" -path '*Start Menu*' | head -n 1)
    [ -n "$shortcut" ] || { echo "FAIL: no Start-menu shortcut '$name'"; exit 1; }
    # The shortcut's target, as it stores it: the program in its build's Program Files.
    target=$( (strings "$shortcut"; strings -e l "$shortcut") | grep -io '[A-Z]:\\.*orvane-readout\.exe' | head -n 1)
    [ "$target" = "$folder\Orvane 001 - Digital Readout\bin\orvane-readout.exe" ] ||
        { echo "FAIL: the $width-bit shortcut leads to '$target'"; exit 1; }
    home=$(dirname "$(dirname "$("$wine" winepath -u "$target" 2>/dev/null | tr -d '\r')")")
    targets[$width]=$target homes[$width]=$home
}
install() { install_build "$bits" "$@"; }

uninstall() {
    quietly "$wine" "$home/Uninstall.exe" /S
    wineserver -w
}

# start WHAT LIBRARY: the program from the shortcut's target (`target`), until channel 1 has refreshed a
# few times; LIBRARY "simulator" or "card" says which library it must use, and so its title.
start() {
    what=$1 library=$2
    trace=$scratch/$what-trace.txt calls=$scratch/$what-trace.txt card=$scratch/$what-card.txt
    local tick='^read 40 1 ' title="Orvane001 - Digital Readout (simulated boards)"
    if [ "$library" = card ]; then
        calls=$card tick='^read 40 1$' title="Orvane001 - Digital Readout"
    fi
    env -u ENCODER_SIM_CHANNELS -u ENCODER_SIM_BOARDS -u ENCODER_SIM_TYPES -u ENCODER_SIM_ABSENT \
        -u ENCODER_SIM_SET -u ENCODER_SIM_MOTION ENCODER_SIM_TRACE="$trace" STANDIN_CARD_TRACE="$card" \
        "$wine" "$target" >"$scratch/output.txt" 2>&1 &
    pid=$!
    local ticks
    ticks=$(readout_wait_refreshes "$calls" "$tick" "$pid" 30)
    [ "$ticks" -ge 3 ] || fail "$what: only $ticks refreshes of channel 1"
    xwininfo -name "$title" >/dev/null 2>&1 ||
        fail "$what: no window titled '$title':"$'\n'"$(xwininfo -root -children | grep '"' || true)"
}

# stop: ends the started program by WM_CLOSE (taskkill), which closes the library it used last.
stop() {
    quietly "$wine" taskkill /IM orvane-readout.exe
    local status=0
    wait "$pid" || status=$?
    [ "$status" -eq 0 ] || fail "$what: exit status $status after WM_CLOSE"$'\n'"$(cat "$scratch/output.txt")"
    if [ "$library" = card ]; then
        [ ! -e "$trace" ] || fail "$what: the simulated boards were called, not the card's library"
        [ "$(tr -d '\r' <"$calls" | tail -n 1)" = "close 0 0" ] || fail "$what: the card's library was not closed last"
    else
        touch "$trace"
        tr -d '\r' <"$trace" >"$trace.lf"
        [ "$(head -n 1 "$trace.lf")" = "open -> 0" ] || fail "$what: the trace starts with '$(head -n 1 "$trace.lf")'"
        [ "$(tail -n 1 "$trace.lf")" = "close" ] || fail "$what: the trace ends with '$(tail -n 1 "$trace.lf")'"
    fi
}
run() {
    start "$@"
    stop
}

# The axis settings the program saved in the user's profile, as the registry of the prefix's width shows
# them.
check_profile() {
    local axis='HKCU\Software\Orvane Electronic Controls Ltd\Orvane 001 - Digital Readout\Settings\Axis5' saved value
    saved=$("$wine" reg query "$axis" 2>/dev/null | tr -d '\r' | tr -s ' \t' ' ')
    for value in "Name REG_SZ C" "Pitch REG_SZ 1.000000" "Count REG_SZ 1.000000" "Mode REG_DWORD 0x18020800"; do
        grep -qx " *$value" <<<"$saved" || fail "$1: the registry holds no '$value' for axis 5:"$'\n'"$saved"
    done
}

simulator_installed() { [ -f "$home/bin/ivrlib32.dll" ]; }

# No card's library: the simulated boards are installed and used; everything the installer puts in place.
new_prefix plain
install
simulator_installed || fail "no card's library, yet the simulated boards were not installed"
for file in bin/orvane-readout.exe bin/${qt}Core.dll bin/${qt}Gui.dll bin/${qt}Widgets.dll \
    bin/platforms/qwindows.dll bin/styles/qwindowsvistastyle.dll bin/libstdc++-6.dll \
    bin/libwinpthread-1.dll Uninstall.exe doc/guide.html doc/readout.png; do
    [ -f "$home/$file" ] || fail "not installed: $file"
done
# The operator's guide, with a shortcut of the build's own name beside the program's.
guide_files=$(cd "$home" && find ./doc -type f | sort)
guide_shortcut="$(dirname "$shortcut")/Operator's guide${shortcut##*Digital Readout}"
# Read whole before grep, which stops at the first match: strings cut off would fail the pipe.
guide_target=$( (strings "$guide_shortcut"; strings -e l "$guide_shortcut") 2>/dev/null || true)
grep -qi 'Digital Readout\\doc\\guide\.html' <<<"$guide_target" ||
    fail "no shortcut '$(basename "$guide_shortcut")' to the guide"
ls "$home"/bin/libgcc_s_*.dll >/dev/null 2>&1 || fail "not installed: the compiler's libgcc_s"
[ ! -e "$home/bin/${qt}Test.dll" ] && [ ! -e "$home/bin/platforms/qoffscreen.dll" ] ||
    fail "test-only libraries were installed"

# newer_imports FOLDER: what the PE files in FOLDER import that Windows 7 SP1 lacks, one
# "FILE: DLL FUNCTION (first in WINDOWS)" a line; nothing when every one loads there.
newer_imports() {
    local folder=$1 file
    find "$folder" -type f \( -iname '*.exe' -o -iname '*.dll' \) | sort | while read -r file; do
        "$objdump" -p "$file" | awk -v file="${file#"$folder/"}" -v list="$(dirname "${BASH_SOURCE[0]}")/newer_than_windows7.txt" '
            BEGIN {
                while ((getline line < list) > 0) {
                    if (line ~ /^#/ || line !~ /[^ ]/) continue
                    n++
                    split(line, field, / +/)
                    pattern = toupper(field[1])
                    gsub(/\./, "\\.", pattern)
                    gsub(/\*/, ".*", pattern)
                    dll[n] = "^" pattern "$"
                    function_of[n] = field[2]
                    sub(/^[^ ]+ +[^ ]+ +/, "", line)
                    since[n] = line
                }
                if (!n) { print "the list " list " is empty"; exit }
            }
            /^\tDLL Name: / {
                name = $3
                current = toupper(name)
                for (i = 1; i <= n; i++)
                    if (function_of[i] == "*" && current ~ dll[i]) print file ": " name " (first in " since[i] ")"
                next
            }
            current != "" && /^\t[0-9a-f]+\t +[0-9]+  [^ ]+$/ {
                for (i = 1; i <= n; i++)
                    if (function_of[i] == $3 && current ~ dll[i]) print file ": " name " " $3 " (first in " since[i] ")"
            }'
    done
}
if [ "$bits" = 32 ]; then
    newer=$(newer_imports "$home")
    [ -z "$newer" ] || fail "the 32-bit installation imports what Windows 7 SP1 lacks:"$'\n'"$newer"
fi

# Explorer's properties and the task bar: the version block and the icon (16 and 32 pixels) of the .exe.
exe="$home/bin/orvane-readout.exe"
strings -e l "$exe" | grep -x "Orvane 001 - Digital Readout" >/dev/null || fail "the .exe names no product"
resources=$("$objdump" -p "$exe" | sed -n '/The .rsrc Resource Directory/,$p')
# Resource types at the top level (RT_ICON 3, RT_GROUP_ICON 14, RT_VERSION 16), and the icon's images.
for type in 000003 00000e 000010; do
    grep -qE "^[0-9a-f]+   Entry: ID: 0x$type," <<<"$resources" || fail "the .exe has no resource of type 0x$type"
done
images=$(sed -n '/   Entry: ID: 0x000003,/,/   Entry: ID: 0x00000e,/p' <<<"$resources" | grep -cE "^[0-9a-f]+     Entry" || true)
[ "$images" -eq 2 ] || fail "the .exe's icon has $images images, not 16 and 32 pixels"

# Installed again into another folder: it goes where the first one is (the shortcut still leads there),
# and nothing goes into the other folder.
install '/D=C:\Readout2'
[ ! -e "$drive/Readout2" ] || fail "a second install into another folder made $(find "$drive/Readout2" | head -n 3)"

run plain simulator
check_profile plain
# A restored backup gives the simulator another file time: it is still the installer's own.
touch -d '2001-02-03 04:05' "$home/bin/ivrlib32.dll"
uninstall
[ ! -e "$shortcut" ] && [ ! -e "$guide_shortcut" ] || fail "the uninstaller left the shortcuts"
left=$(find "$home" 2>/dev/null || true)
[ -z "$left" ] || fail "the uninstaller left:"$'\n'"$left"

if [ "$bits" = 32 ]; then
    # A card's library in the system folder: the program uses it, and no simulator stands in its way.
    new_prefix card
    cp "$standin" "$system/ivrlib32.dll"
    install
    ! simulator_installed || fail "the simulated boards were installed beside a card's library"
    run card card

    # Asked for on the command line, the simulated boards are installed beside the card's library; asked
    # away, the ones this installer put in go again.
    new_prefix asked
    cp "$standin" "$system/ivrlib32.dll"
    install /SIMULATED=1
    simulator_installed || fail "/SIMULATED=1 did not install the simulated boards"
    # While the program runs, neither the installer nor the uninstaller changes anything, and both say
    # so in their exit status; once it has ended, /SIMULATED=0 takes out the simulator, even one whose
    # file time has changed.
    touch -d '2001-02-03 04:05' "$home/bin/ivrlib32.dll"
    before=$(cd "$home" && find . -type f -exec md5sum {} + | sort)
    # The program of this build is known by the mutex it holds, wherever it runs from: here the build
    # tree's, which keeps no installed file in use.
    target="$build/bin/orvane-readout.exe"
    start asked simulator
    status=0
    "$wine" "$installer" /S /SIMULATED=0 >/dev/null 2>&1 || status=$?
    [ "$status" = 2 ] || fail "/SIMULATED=0 while the program ran: exit status $status, not 2"
    status=0
    # Run in place (_?=), so that its exit status is the uninstaller's; the folder's short name, since
    # _?= takes the rest of the command line unquoted.
    folder=$("$wine" winepath -s "$("$wine" winepath -w "$home" 2>/dev/null | tr -d '\r')" 2>/dev/null | tr -d '\r')
    "$wine" "$home/Uninstall.exe" /S "_?=$folder" >/dev/null 2>&1 || status=$?
    [ "$status" = 2 ] || fail "the uninstaller while the program ran: exit status $status, not 2"
    [ "$(cd "$home" && find . -type f -exec md5sum {} + | sort)" = "$before" ] ||
        fail "the installer or the uninstaller changed the folder of the running program"
    "$wine" reg query "$uninstall_key" >/dev/null 2>&1 || fail "the uninstall entry went while the program ran"
    [ -e "$shortcut" ] && [ -e "$(dirname "$shortcut")/Uninstall.lnk" ] || fail "the shortcuts went while the program ran"
    kill -0 "$pid" 2>/dev/null || fail "the program did not go on running"
    stop
    install /SIMULATED=0
    ! simulator_installed || fail "/SIMULATED=0 left the simulated boards in the program's folder"
fi

# A card owner's ivrlib32.dll put in the program's folder, over the simulated boards: reinstalls, with or
# without the simulator, and the uninstaller leave it as it is.
new_prefix owner
install
cp "$standin" "$home/bin/ivrlib32.dll"
owned=$(md5sum <"$home/bin/ivrlib32.dll")
for options in "" /SIMULATED=1 /SIMULATED=0; do
    # shellcheck disable=SC2086
    install $options
    [ "$(md5sum <"$home/bin/ivrlib32.dll" 2>/dev/null)" = "$owned" ] ||
        fail "a reinstall with '$options' changed the card owner's ivrlib32.dll"
done
uninstall
[ "$(md5sum <"$home/bin/ivrlib32.dll" 2>/dev/null)" = "$owned" ] ||
    fail "the uninstaller changed the card owner's ivrlib32.dll"

# Nothing installed by an install that fails; what the installer takes for a card's library.
new_prefix elsewhere
folder="$drive/Program Files/Orvane 001 - Digital Readout"
# refused STATUS ARG...: the status and the records of a silent install that must not go on: exit status
# STATUS, no uninstall entry, no shortcut.
refused() {
    local expected=$1 status=0
    shift
    "$wine" "$installer" /S "$@" >/dev/null 2>&1 || status=$?
    wineserver -w
    [ "$status" = "$expected" ] || fail "$why: the installer ended with status $status, not $expected"
    ! "$wine" reg query "$uninstall_key" >/dev/null 2>&1 || fail "$why: the uninstall entry was written"
    [ -z "$(find "$drive" -path '*Start Menu*' -iname '*orvane*')" ] || fail "$why: a shortcut was written"
}
options=()
if [ "$bits" = 64 ]; then
    # A 32-bit card's library in SysWOW64 (the stand-in's name is what the installer sees): the 64-bit
    # program would show the simulated boards instead, so silent, nothing is installed without /SIMULATED=1.
    cp "$standin" "$drive/windows/syswow64/ivrlib32.dll"
    why="the 64-bit installer beside a 32-bit card's library"
    refused 2
    [ ! -e "$folder" ] || fail "$why installed $(find "$folder" | head -n 3)"
    options=(/SIMULATED=1)
else
    # A library in the Windows folder or on PATH is not a card's: it may be anyone's.
    mkdir "$drive/cardlib"
    cp "$standin" "$drive/cardlib/ivrlib32.dll"
    cp "$standin" "$drive/windows/ivrlib32.dll"
    export WINEPATH='C:\cardlib'
fi
# A file that cannot be written (a folder where it goes) stops the install before any record is written.
mkdir -p "$folder/bin/${qt}Gui.dll"
why="a file that could not be written"
refused 2 "${options[@]}"
rmdir "$folder/bin/${qt}Gui.dll"
install "${options[@]}"
simulator_installed || fail "the simulated boards were not installed (${options[*]:-a library in the Windows folder and on PATH})"
unset WINEPATH

# A Windows older than the build's oldest: the installer says so and writes nothing, silent with exit
# status 3, whatever the command line asks.
if [ "$bits" = 32 ]; then older=(vista); else older=(win7 win81); fi
for version in "${older[@]}"; do
    new_prefix "older-$version" "$version"
    why="the $bits-bit installer on $version"
    refused 3 /SIMULATED=1
    [ -z "$(find "$drive" -iname '*orvane 001*')" ] || fail "$why installed $(find "$drive" -iname '*orvane 001*' | head -n 3)"
done

# Both builds side by side in a 64-bit prefix, one installed after the other in either order: each runs;
# removing one leaves the other working, and removing both leaves nothing of either.
if [ -n "${installer_of[32]:-}" ] && [ "$bits" = 64 ]; then
    for first in 32 64; do
        second=$((96 - first))
        new_prefix "side-by-side-$first"
        install_build "$first"
        install_build "$second"
        for width in "$first" "$second"; do
            target=${targets[$width]}
            run "both-$first-$width" simulator
            check_profile "both-$first-$width"
        done
        quietly "$wine" "${homes[$first]}/Uninstall.exe" /S
        wineserver -w
        [ ! -e "${homes[$first]}" ] || fail "removing the $first-bit build left $(find "${homes[$first]}")"
        target=${targets[$second]}
        run "left-$first-$second" simulator
        quietly "$wine" "${homes[$second]}/Uninstall.exe" /S
        wineserver -w
        left=$(find "$drive" -iname '*orvane 001*' -o -name Readout2)
        [ -z "$left" ] || fail "removing both builds left:"$'\n'"$left"
        for view in 32 64; do
            ! "$wine" reg query "$uninstall_key" /reg:$view >/dev/null 2>&1 ||
                fail "removing both builds left the uninstall entry in the $view-bit registry view"
        done
    done
fi

# The earlier releases' installers of this width, from the folder READOUT_RELEASES names.
listed() { (cd "$(dirname "$shortcut")" && ls); }
nothing_left() {
    left=$(find "$drive" -iname '*orvane 001*' -o -name Readout2)
    [ -z "$left" ] || fail "$1 left:"$'\n'"$left"
    ! "$wine" reg query "$uninstall_key" >/dev/null 2>&1 || fail "$1 left the uninstall entry"
}
if [ -n "${READOUT_RELEASES:-}" ]; then
    suffix=""
    [ "$bits" = 32 ] || suffix=" (64-bit)"
    # The libraries of the other Qt, which an earlier release of this width may have installed.
    other_qt=Qt6
    [ "$qt" = Qt5 ] || other_qt=Qt5
    for release in 1.1.0-e4fc422 1.0.0-ca864f6 1.0.0-0fe3a53; do
        earlier="$READOUT_RELEASES/$release/orvane-readout-${release%-*}-win$bits.exe"
        [ -f "$earlier" ] || { echo "FAIL: no $earlier"; exit 1; }
        # An upgrade: in place, the simulator this installer's own, only this installer's shortcut names,
        # no file of the earlier Qt.
        new_prefix "upgrade-$release"
        quietly "$wine" "$earlier" /S
        wineserver -w
        if [ "$release$bits" = 1.1.0-e4fc42232 ]; then
            # The import check sees what keeps 1.1.0's 32-bit program from starting on Windows 7.
            folder="$drive/Program Files/Orvane 001 - Digital Readout"
            newer=$(newer_imports "$folder")
            for import in "Qt6Core.dll: api-ms-win-core-synch-l1-2-0.dll" "Qt6Gui.dll: USER32.dll SystemParametersInfoForDpi" \
                "platforms/qwindows.dll: SHCORE.dll" "platforms/qwindows.dll: USER32.dll GetDpiForWindow"; do
                grep -qiF "bin/$import " <<<"$newer" || fail "the import check did not find $import in 1.1.0:"$'\n'"$newer"
            done
        fi
        install
        left=$(find "$home" -name "$other_qt*")
        [ -z "$left" ] || fail "upgrade from $release left the earlier Qt's files:"$'\n'"$left"
        strings -e l "$home/bin/ivrlib32.dll" | grep "simulated encoder boards" >/dev/null ||
            fail "upgrade from $release: bin\ivrlib32.dll is not this installer's simulator"
        [ "$(listed)" = "Operator's guide$suffix.lnk"$'\n'"Orvane 001 - Digital Readout$suffix.lnk"$'\n'"Uninstall$suffix.lnk" ] ||
            fail "upgrade from $release: the shortcuts are"$'\n'"$(listed)"
        uninstall
        nothing_left "upgrade from $release, then the uninstaller"
        # A downgrade, then the earlier uninstaller: nothing left but this release's guide and its
        # shortcut, which the earlier one does not know. (The 64-bit ca864f6 named its shortcuts as the
        # 32-bit build does: its uninstaller leaves this one's "(64-bit)" names.)
        [ "$release$bits" != 1.0.0-ca864f664 ] || continue
        new_prefix "downgrade-$release"
        install
        quietly "$wine" "$earlier" /S
        wineserver -w
        # 1.1.0's program, as its installer left it, runs.
        [ "${release%-*}" != 1.1.0 ] || run "downgrade-$release" simulator
        uninstall
        # The earlier uninstaller knows nothing of this release's guide and its shortcut, nor, after the
        # 32-bit build, of its Qt 5 libraries: they alone stay, and go with the folder by hand (docs/windows.md).
        expected=$guide_files
        if [ "$other_qt" = Qt6 ]; then
            expected=$(printf '%s\n' "$guide_files" "./bin/${qt}Core.dll" "./bin/${qt}Gui.dll" "./bin/${qt}Widgets.dll" | sort)
        fi
        [ "$(cd "$home" && find . -type f | sort)" = "$expected" ] && [ "$(listed)" = "Operator's guide$suffix.lnk" ] ||
            fail "a downgrade to $release, then its uninstaller, left other files than those:"$'\n'"$(find "$home" "$(dirname "$shortcut")")"
        rm -r "$home" "$(dirname "$shortcut")"
        nothing_left "a downgrade to $release, then its uninstaller"
    done
    # The earlier release installed a second copy into another folder, which the entry and the
    # shortcuts now name: the first folder's uninstaller leaves them to it.
    new_prefix stray
    install
    quietly "$wine" "$earlier" /S '/D=C:\Readout2'
    wineserver -w
    uninstall
    [ ! -e "$home" ] || fail "the uninstaller left $(find "$home")"
    "$wine" reg query "$uninstall_key" /v InstallLocation 2>/dev/null | grep -q 'C:\\Readout2' ||
        fail "the entry of C:\Readout2 went with another folder's uninstaller"
    [ "$(listed 2>/dev/null)" = "Orvane 001 - Digital Readout$suffix.lnk"$'\n'"Uninstall$suffix.lnk" ] ||
        fail "the shortcuts of C:\Readout2 went with another folder's uninstaller"
    quietly "$wine" "$drive/Readout2/Uninstall.exe" /S
    wineserver -w
    nothing_left "both uninstallers"
else
    echo "NOTE: no READOUT_RELEASES (scripts/test-windows.sh sets it): the earlier releases are not tried"
fi

finish "installed silently with and without a card's library, run from the shortcut's target, uninstalled"
