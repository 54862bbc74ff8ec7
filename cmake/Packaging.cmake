# The packages, from the install rules: on Windows an NSIS installer, elsewhere a Debian package.
#
# Windows: `cpack -G NSIS` (or the `package` target) in a Windows build makes
# orvane-readout-<version>-win32.exe or -win64.exe: the program, ivrlib32.dll (the simulated boards unless
# ENCODER_LIBRARY names a vendor's, whose DLL the card's owner puts beside the program), the Qt libraries
# and plugins, the compiler's runtime, a Start-menu shortcut and an uninstaller. /S installs and
# uninstalls silently.
if(WIN32)
    set(CPACK_GENERATOR NSIS)
    set(CPACK_PACKAGE_NAME orvane-readout)
    set(CPACK_PACKAGE_VENDOR "Orvane Electronic Controls Ltd")
    set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(readout_windows_arch win64)
        set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
    else()
        set(readout_windows_arch win32)
    endif()
    set(CPACK_PACKAGE_FILE_NAME "orvane-readout-${PROJECT_VERSION}-${readout_windows_arch}")
    set(CPACK_PACKAGE_INSTALL_DIRECTORY "Orvane 001 - Digital Readout")
    set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Orvane 001 - Digital Readout")
    set(CPACK_NSIS_PACKAGE_NAME "Orvane 001 - Digital Readout")
    set(CPACK_NSIS_DISPLAY_NAME "Orvane 001 - Digital Readout")
    # The Start-menu shortcut, under the installation's own folder there.
    set(CPACK_PACKAGE_EXECUTABLES "orvane-readout;Orvane 001 - Digital Readout")
    set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\orvane-readout.exe")
    set(CPACK_NSIS_MUI_ICON "${PROJECT_SOURCE_DIR}/src/resources/icons/orvane-readout.ico")
    set(CPACK_NSIS_MUI_UNIICON "${PROJECT_SOURCE_DIR}/src/resources/icons/orvane-readout.ico")
    set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
    include(CPack)
    return()
endif()

# The Debian package: `cmake --build <dir> --target package` (or cpack) builds
# orvane-readout_<version>_<arch>.deb from the install rules. Its library dependencies are worked out
# from the installed binaries by dpkg-shlibdeps (package dpkg-dev).

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvane-readout)
set(CPACK_PACKAGE_VENDOR "Orvane Electronic Controls Ltd")
set(CPACK_PACKAGE_CONTACT "Orvane Electronic Controls Ltd <readout@orvane.invalid>"
    CACHE STRING "Maintainer of the Debian package")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Shows, four times a second, the positions of up to twelve encoder channels on up to four encoder \
interface boards, scaled into the operator's units, with each channel's encoder settings and live status.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The dialogs are laid out in dialog units from a sans-serif face; DejaVu Sans is the one they are drawn for.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-dejavu-core)
if(ENCODER_LIBRARY)
    # A vendor's interface library is not part of the package: the machine it goes to provides it.
    get_filename_component(readout_vendor_dir "${ENCODER_LIBRARY}" DIRECTORY)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${readout_vendor_dir}")
endif()

include(CPack)
