#!/usr/bin/env bash
# The Windows installer, under wine, each case in a fresh wine prefix: built by CPack with NSIS and
# installed silently (/S). Without a card's library the simulated boards are installed, and the program,
# started from the Start-menu shortcut's target, runs on them and says so in its title; its files, icon,
# version block and settings in the registry are checked, and a silent uninstall leaves nothing. With a
# stand-in card library in the system folder the 32-bit installer leaves the simulator out and the program
# uses the card's library under its plain title; /SIMULATED=1 puts the simulator in all the same, and
# /SIMULATED=0 takes it out again. A card owner's ivrlib32.dll in the program's folder is the same bytes
# after reinstalls and after the uninstaller.
#
# usage: test_install_windows.sh BUILD_DIR CPACK WINE OBJDUMP STANDIN_DLL
set -euo pipefail
build=$1 cpack=$2 wine=$3 objdump=$4 standin=$5

source "$(dirname "${BASH_SOURCE[0]}")/install_checks.sh"
require_tools scripts/test-windows.sh "$wine" wineserver strings "$objdump" xwininfo md5sum
[ -n "${DISPLAY:-}" ] || { echo "SKIP: no display for the program's window (scripts/test-windows.sh runs on Xvfb)"; exit 77; }
export WINEDEBUG=-all
# No desktop entries of the host for the shortcuts made inside the prefix.
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
cleanup_more() { wineserver -k 2>/dev/null || true; }

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

# new_prefix NAME: a fresh prefix of the installer's width; `system` is the system folder as the program
# sees it.
new_prefix() {
    wineserver -k 2>/dev/null || true
    export WINEPREFIX=$scratch/$1
    quietly "$wine" wineboot -i
    drive=$WINEPREFIX/drive_c
    system=$drive/windows/system32
}

# install ARG...: runs the installer silently; sets `target` (the shortcut's target), `home` (the
# installation folder) and `shortcut`.
install() {
    quietly "$wine" "$installer" /S "$@"
    wineserver -w
    shortcut=$(find "$drive" -name 'Orvane 001 - Digital Readout.lnk' -path '*Start Menu*' | head -n 1)
    [ -n "$shortcut" ] || { echo "FAIL: no Start-menu shortcut"; exit 1; }
    # The shortcut's target, as it stores it: the program in its folder under Program Files.
    target=$( (strings "$shortcut"; strings -e l "$shortcut") | grep -io '[A-Z]:\\.*orvane-readout\.exe' | head -n 1)
    case "$target" in
        'C:\Program Files'*'\Orvane 001 - Digital Readout\bin\orvane-readout.exe') ;;
        *) echo "FAIL: the shortcut leads to '$target'"; exit 1 ;;
    esac
    home=$(dirname "$(dirname "$("$wine" winepath -u "$target" 2>/dev/null | tr -d '\r')")")
}

uninstall() {
    quietly "$wine" "$home/Uninstall.exe" /S
    wineserver -w
}

# run WHAT LIBRARY: the program from the shortcut's target until channel 1 has refreshed a few times,
# ended by WM_CLOSE (taskkill); LIBRARY "simulator" or "card" says which library it must have used, and
# so its title.
run() {
    local what=$1 library=$2
    local trace=$scratch/$what-trace.txt card=$scratch/$what-card.txt
    local calls=$trace tick='^read 40 1 ' title="Orvane001 - Digital Readout (simulated boards)"
    if [ "$library" = card ]; then
        calls=$card tick='^read 40 1$' title="Orvane001 - Digital Readout"
    fi
    env -u ENCODER_SIM_CHANNELS -u ENCODER_SIM_BOARDS -u ENCODER_SIM_TYPES -u ENCODER_SIM_ABSENT \
        -u ENCODER_SIM_SET -u ENCODER_SIM_MOTION ENCODER_SIM_TRACE="$trace" STANDIN_CARD_TRACE="$card" \
        "$wine" "$target" >"$scratch/output.txt" 2>&1 &
    local pid=$! ticks=0
    for _ in $(seq 300); do
        ticks=$(tr -d '\r' <"$calls" 2>/dev/null | grep -c "$tick" || true)
        [ "${ticks:-0}" -lt 3 ] || break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    [ "${ticks:-0}" -ge 3 ] || fail "$what: only ${ticks:-0} refreshes of channel 1"
    xwininfo -name "$title" >/dev/null 2>&1 ||
        fail "$what: no window titled '$title':"$'\n'"$(xwininfo -root -children | grep '"' || true)"
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

simulator_installed() { [ -f "$home/bin/ivrlib32.dll" ]; }

# No card's library: the simulated boards are installed and used; everything the installer puts in place.
new_prefix plain
install
simulator_installed || fail "no card's library, yet the simulated boards were not installed"
for file in bin/orvane-readout.exe bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll \
    bin/platforms/qwindows.dll bin/styles/qwindowsvistastyle.dll bin/libstdc++-6.dll \
    bin/libwinpthread-1.dll Uninstall.exe; do
    [ -f "$home/$file" ] || fail "not installed: $file"
done
ls "$home"/bin/libgcc_s_*.dll >/dev/null 2>&1 || fail "not installed: the compiler's libgcc_s"
[ ! -e "$home/bin/Qt6Test.dll" ] && [ ! -e "$home/bin/platforms/qoffscreen.dll" ] ||
    fail "test-only libraries were installed"

# Explorer's properties and the task bar: the version block and the icon (16 and 32 pixels) of the .exe.
exe="$home/bin/orvane-readout.exe"
strings -e l "$exe" | grep -qx "Orvane 001 - Digital Readout" || fail "the .exe names no product"
resources=$("$objdump" -p "$exe" | sed -n '/The .rsrc Resource Directory/,$p')
# Resource types at the top level (RT_ICON 3, RT_GROUP_ICON 14, RT_VERSION 16), and the icon's images.
for type in 000003 00000e 000010; do
    grep -qE "^[0-9a-f]+   Entry: ID: 0x$type," <<<"$resources" || fail "the .exe has no resource of type 0x$type"
done
images=$(sed -n '/   Entry: ID: 0x000003,/,/   Entry: ID: 0x00000e,/p' <<<"$resources" | grep -cE "^[0-9a-f]+     Entry" || true)
[ "$images" -eq 2 ] || fail "the .exe's icon has $images images, not 16 and 32 pixels"

run plain simulator
axis='HKCU\Software\Orvane Electronic Controls Ltd\Orvane 001 - Digital Readout\Settings\Axis5'
saved=$("$wine" reg query "$axis" 2>/dev/null | tr -d '\r' | tr -s ' \t' ' ')
for value in "Name REG_SZ C" "Pitch REG_SZ 1.000000" "Count REG_SZ 1.000000" "Mode REG_DWORD 0x18020800"; do
    grep -qx " *$value" <<<"$saved" || fail "the registry holds no '$value' for axis 5:"$'\n'"$saved"
done
uninstall
[ ! -e "$shortcut" ] || fail "the uninstaller left the shortcut"
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
    run asked simulator
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

finish "installed silently with and without a card's library, run from the shortcut's target, uninstalled"
