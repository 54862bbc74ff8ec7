#!/usr/bin/env bash
# Moves between this release and the earlier ones, under wine, each case in a fresh wine prefix, with the
# earlier releases' installers of the build's width from the folder READOUT_RELEASES names
# (scripts/test-windows.sh sets it to ../shared/releases when it is there; the test is skipped without
# it). An upgrade from each installs in place, keeps the simulator the installer's own and removes the
# earlier shortcut names and the earlier Qt's files; a downgrade leaves a working earlier program (1.1.0's
# is run), and the earlier uninstaller nothing but what it does not know: this release's guide and its
# shortcut, and after the 32-bit build its Qt 5 libraries; and an uninstaller whose folder the entry no
# longer names leaves the entry and the shortcuts. The import check of the 32-bit installation finds in
# 1.1.0's files what Windows 7 SP1 lacks.
source "$(dirname "${BASH_SOURCE[0]}")/install_windows.sh"
if [ -z "${READOUT_RELEASES:-}" ]; then
    echo "SKIP: no READOUT_RELEASES (scripts/test-windows.sh sets it): the earlier releases are not tried"
    exit 77
fi

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
    guide_files=$(cd "$home" && find ./doc -type f | sort)
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

finish "upgraded from and downgraded to every earlier release of this width"
