#!/usr/bin/env bash
# The Windows installer, under wine: built by CPack with NSIS, installed silently (/S) into a fresh
# wine prefix; its files, the program's icon and version block, and the Start-menu shortcut; the
# program started from the shortcut's target on the simulated boards installed with it, ended by
# WM_CLOSE (taskkill) in order and its settings in the registry; then a silent uninstall.
#
# usage: test_install_windows.sh BUILD_DIR CPACK WINE OBJDUMP
set -euo pipefail
build=$1 cpack=$2 wine=$3 objdump=$4

source "$(dirname "${BASH_SOURCE[0]}")/install_checks.sh"
require_tools scripts/test-windows.sh "$wine" wineserver strings "$objdump"
export WINEPREFIX=$scratch/prefix WINEDEBUG=-all
# No desktop entries of the host for the shortcuts made inside the prefix.
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
cleanup_more() { wineserver -k 2>/dev/null || true; }

quietly "$cpack" --config "$build/CPackConfig.cmake" -B "$scratch/package"
installers=("$scratch"/package/orvane-readout-*-win*.exe)
[ "${#installers[@]}" -eq 1 ] && [ -f "${installers[0]}" ] || { echo "FAIL: no single installer: ${installers[*]}"; exit 1; }
installer=${installers[0]}
case "$(basename "$installer")" in
    orvane-readout-[0-9]*.[0-9]*.[0-9]*-win32.exe | orvane-readout-[0-9]*.[0-9]*.[0-9]*-win64.exe) ;;
    *) fail "the installer is named $(basename "$installer")" ;;
esac

# A prefix of the installer's width.
case "$installer" in *-win32.exe) export WINEARCH=win32 ;; *) export WINEARCH=win64 ;; esac
quietly "$wine" wineboot -i
drive=$WINEPREFIX/drive_c
quietly "$wine" "$installer" /S
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

for file in bin/orvane-readout.exe bin/ivrlib32.dll bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll \
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

# The program from the shortcut's target, on the simulated boards beside it.
trace=$scratch/trace.txt
env -u ENCODER_SIM_CHANNELS -u ENCODER_SIM_BOARDS -u ENCODER_SIM_TYPES -u ENCODER_SIM_ABSENT \
    -u ENCODER_SIM_SET -u ENCODER_SIM_MOTION ENCODER_SIM_TRACE="$trace" \
    "$wine" "$target" >"$scratch/output.txt" 2>&1 &
pid=$!
ticks=0
for _ in $(seq 300); do
    ticks=$(grep -c '^read 40 5 ' "$trace" 2>/dev/null || true)
    [ "${ticks:-0}" -lt 3 ] || break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
[ "${ticks:-0}" -ge 3 ] || fail "only ${ticks:-0} refreshes of channel 5"
quietly "$wine" taskkill /IM orvane-readout.exe
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "exit status $status after WM_CLOSE"$'\n'"$(cat "$scratch/output.txt")"
touch "$trace"
tr -d '\r' <"$trace" >"$trace.lf"
[ "$(head -n 1 "$trace.lf")" = "open -> 0" ] || fail "the trace starts with '$(head -n 1 "$trace.lf")'"
[ "$(tail -n 1 "$trace.lf")" = "close" ] || fail "the trace ends with '$(tail -n 1 "$trace.lf")'"
axis='HKCU\Software\Orvane Electronic Controls Ltd\Orvane 001 - Digital Readout\Settings\Axis5'
saved=$("$wine" reg query "$axis" 2>/dev/null | tr -d '\r' | tr -s ' \t' ' ')
for value in "Name REG_SZ C" "Pitch REG_SZ 1.000000" "Count REG_SZ 1.000000" "Mode REG_DWORD 0x18020800"; do
    grep -qx " *$value" <<<"$saved" || fail "the registry holds no '$value' for axis 5:"$'\n'"$saved"
done

quietly "$wine" "$home/Uninstall.exe" /S
wineserver -w
[ ! -e "$exe" ] || fail "the uninstaller left the program"
[ ! -e "$shortcut" ] || fail "the uninstaller left the shortcut"

finish "installed silently, started from the shortcut's target, ended in order, uninstalled"
