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
