# What the two Windows installer tests share, sourced by test_install_windows.sh (this release) and
# test_upgrade_windows.sh (moves from and to the earlier releases): the arguments, the installer of the
# build, which the package_windows test makes, fresh wine prefixes, installing, running the installed
# program and checking what it saved, and what the PE files import.
#
# usage: TEST.sh BUILD_DIR WINE OBJDUMP STANDIN_DLL
set -euo pipefail
build=$1 wine=$2 objdump=$3 standin=$4

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

# The installer the package_windows test made in the build folder, under the name CPack gives it.
name=$(sed -n 's/^set(CPACK_PACKAGE_FILE_NAME "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
installer=$build/$name.exe
[ -n "$name" ] && [ -f "$installer" ] || { echo "FAIL: no installer $installer (the package_windows test makes it)"; exit 1; }
case "$name" in
    orvane-readout-[0-9]*.[0-9]*.[0-9]*-win32) bits=32 ;;
    orvane-readout-[0-9]*.[0-9]*.[0-9]*-win64) bits=64 ;;
    *) echo "FAIL: the installer is named $name.exe"; exit 1 ;;
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

listed() { (cd "$(dirname "$shortcut")" && ls); }
nothing_left() {
    left=$(find "$drive" -iname '*orvane 001*' -o -name Readout2)
    [ -z "$left" ] || fail "$1 left:"$'\n'"$left"
    ! "$wine" reg query "$uninstall_key" >/dev/null 2>&1 || fail "$1 left the uninstall entry"
}
