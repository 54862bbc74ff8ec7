#!/usr/bin/env bash
# This release's Windows installer (the package_windows test makes it), under wine, each case in a fresh
# wine prefix, installed silently (/S). Without a card's library the simulated boards are installed, and
# the program, started from the Start-menu shortcut's target, runs on them and says so in its title; its
# files, icon, version block, the operator's guide with its shortcut and the settings in the registry are
# checked, and a silent uninstall leaves nothing, also after the simulator's file time changed. With a
# stand-in card library in the system folder the 32-bit installer leaves the simulator out and the program
# uses the card's library under its plain title; /SIMULATED=1 puts the simulator in all the same, and
# /SIMULATED=0 takes it out again, but while the program runs (known by its mutex alone: the build tree's)
# neither it nor the uninstaller changes anything, the entry and the shortcuts stay, and both end with
# exit status 2. A card owner's ivrlib32.dll in the program's folder is the same bytes after reinstalls
# and after the uninstaller. The 64-bit leg also installs the 32-bit installer named by
# READOUT_WIN32_INSTALLER (scripts/test-windows.sh sets it) beside its own, in either order: both run,
# each uninstalls without touching the other, and the two uninstalls leave no file, shortcut or uninstall
# entry.
#
# Moves between installations: a second install into another folder (/D=) goes where the first is; a
# library in the Windows folder or on PATH is not taken for a card's; the 64-bit installer beside a
# 32-bit card's library ends with a non-zero status and installs nothing unless /SIMULATED=1; a file that
# cannot be written stops a silent install with exit status 2 before any record is written. On a Windows
# older than the build's oldest (the 32-bit one on Vista, the 64-bit one on 7 and 8.1) the installer ends
# with exit status 3 and writes nothing. Every PE file the 32-bit installer puts in place imports nothing
# that Windows 7 SP1 lacks (tests/newer_than_windows7.txt). The earlier releases are
# test_upgrade_windows.sh's.
source "$(dirname "${BASH_SOURCE[0]}")/install_windows.sh"

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
guide_shortcut="$(dirname "$shortcut")/Operator's guide${shortcut##*Digital Readout}"
# Read whole before grep, which stops at the first match: strings cut off would fail the pipe.
guide_target=$( (strings "$guide_shortcut"; strings -e l "$guide_shortcut") 2>/dev/null || true)
grep -qi 'Digital Readout\\doc\\guide\.html' <<<"$guide_target" ||
    fail "no shortcut '$(basename "$guide_shortcut")' to the guide"
ls "$home"/bin/libgcc_s_*.dll >/dev/null 2>&1 || fail "not installed: the compiler's libgcc_s"
[ ! -e "$home/bin/${qt}Test.dll" ] && [ ! -e "$home/bin/platforms/qoffscreen.dll" ] ||
    fail "test-only libraries were installed"

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

finish "installed silently with and without a card's library, run from the shortcut's target, uninstalled"
