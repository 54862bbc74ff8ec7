# The package of the installed program: `cmake --build <dir> --target package` (or cpack).
# What every package says about the program comes first, then each platform's own package.

set(CPACK_PACKAGE_NAME orvane-readout)
set(CPACK_PACKAGE_VENDOR "Orvane Electronic Controls Ltd")
set(CPACK_PACKAGE_CONTACT "Orvane Electronic Controls Ltd <readout@orvane.invalid>"
    CACHE STRING "Maintainer of the package")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Lines of at most 80 characters, as the Debian control file wants them.
set(CPACK_PACKAGE_DESCRIPTION "Shows, four times a second, the positions of up to twelve encoder
channels on up to four encoder interface boards, scaled into the operator's
units, with each channel's encoder settings and live status.")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_STRIP_FILES ON)

if(UNIX)
    # The Debian packages, from the install rules under /usr: the program's,
    # orvane-readout_<version>_<arch>.deb (the install component "program"), and, unless the program is
    # built against a vendor's library, the simulated boards' own,
    # orvane-readout-simulated-boards_<version>_<arch>.deb (the component "simulator"). The program's
    # package does not depend on the simulator's: without it, the program's run path finds no
    # libivrlib32.so and the loader goes on to the system's folders, where a card's library is. Library
    # dependencies are worked out from the installed binaries by dpkg-shlibdeps (package dpkg-dev);
    # lintian finds nothing to report in either package.
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    # The dialogs are laid out in dialog units from a sans-serif face; DejaVu Sans is the one they are
    # drawn for.
    set(readout_recommends fonts-dejavu-core)
    if(ENCODER_LIBRARY)
        # The program's package alone. A vendor's interface library is not part of it: the machine it goes
        # to provides it.
        set(CPACK_DEBIAN_PACKAGE_RECOMMENDS ${readout_recommends})
        get_filename_component(readout_vendor_dir "${ENCODER_LIBRARY}" DIRECTORY)
        set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${readout_vendor_dir}")
    else()
        set(CPACK_DEB_COMPONENT_INSTALL ON)
        set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME ${CPACK_PACKAGE_NAME})
        set(CPACK_DEBIAN_SIMULATOR_PACKAGE_NAME ${CPACK_PACKAGE_NAME}-simulated-boards)
        # Each package's description starts with its own summary line. CPack would put the common summary
        # before both unless it reads as false (a false constant, IGNORE).
        set(CPACK_PACKAGE_DESCRIPTION_SUMMARY IGNORE)
        set(CPACK_DEBIAN_PROGRAM_DESCRIPTION "${PROJECT_DESCRIPTION}\n${CPACK_PACKAGE_DESCRIPTION}
Without a card, install orvane-readout-simulated-boards with it.")
        set(CPACK_DEBIAN_SIMULATOR_DESCRIPTION "Simulated encoder boards for the digital readout
The encoder interface library libivrlib32.so as a simulator of encoder
interface boards with moving channels, in the readout's own folder, where the
readout finds it before any other library of that name. The window's title
then ends in (simulated boards). For trying the readout without a card: with
a card, install the orvane-readout package alone.")
        set(CPACK_DEBIAN_PROGRAM_PACKAGE_RECOMMENDS ${readout_recommends})
        set(CPACK_DEBIAN_PROGRAM_PACKAGE_SUGGESTS ${CPACK_DEBIAN_SIMULATOR_PACKAGE_NAME})
        # The simulator is the program's own: it goes with the same version of the program.
        set(CPACK_DEBIAN_SIMULATOR_PACKAGE_DEPENDS "${CPACK_PACKAGE_NAME} (= ${PROJECT_VERSION})")
    endif()
    # CPack has postinst and postrm call ldconfig for the simulated boards, though ldconfig never looks
    # in the program's own library folder: the simulator's package is rebuilt without them.
    set(CPACK_POST_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/DebWithoutLdconfig.cmake")

    # The copyright file in Debian's format, from LICENSE, and the changelog: the package is built from
    # this source tree, so its version has no Debian revision and the changelog is changelog.gz.
    set(readout_doc ${PROJECT_BINARY_DIR}/dist/doc)
    file(READ "${PROJECT_SOURCE_DIR}/LICENSE" readout_license)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
        "${PROJECT_SOURCE_DIR}/LICENSE" "${PROJECT_SOURCE_DIR}/dist/changelog.in")
    string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)\n" readout_copyright_line "${readout_license}")
    set(readout_copyright "${CMAKE_MATCH_1}")
    string(REGEX REPLACE "^.*Copyright \\(c\\) [^\n]*\n\n" "" readout_license_text "${readout_license}")
    string(STRIP "${readout_license_text}" readout_license_text)
    string(REGEX REPLACE "\n\n" "\n.\n" readout_license_text "${readout_license_text}")
    string(REGEX REPLACE "\n" "\n " readout_license_text "${readout_license_text}")
    file(CONFIGURE OUTPUT ${readout_doc}/copyright CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: ${CPACK_PACKAGE_NAME}
Upstream-Contact: ${CPACK_PACKAGE_CONTACT}

Files: *
Copyright: ${readout_copyright}
License: Expat

License: Expat
 ${readout_license_text}
" @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/dist/changelog.in ${readout_doc}/changelog @ONLY)
    add_custom_command(OUTPUT ${readout_doc}/changelog.gz
        COMMAND gzip -n -9 -k -f ${readout_doc}/changelog
        DEPENDS ${readout_doc}/changelog
        VERBATIM)
    add_custom_target(readout_changelog ALL DEPENDS ${readout_doc}/changelog.gz)
    install(FILES ${readout_doc}/copyright ${readout_doc}/changelog.gz DESTINATION share/doc/${CPACK_PACKAGE_NAME})
    if(NOT ENCODER_LIBRARY)
        install(FILES ${readout_doc}/copyright ${readout_doc}/changelog.gz
                DESTINATION share/doc/${CPACK_DEBIAN_SIMULATOR_PACKAGE_NAME} COMPONENT simulator)
    endif()
elseif(WIN32)
    # The Windows installer, orvane-readout-<version>-win32.exe or -win64.exe (`cpack -G NSIS`), from our
    # own installer script (nsis/NSIS.template.in): the program with the Qt libraries and plugins and the
    # compiler's runtime, a Start-menu shortcut and an uninstaller, and the simulated boards as a component
    # chosen only where no card's library is found. The two builds install side by side. /S installs and
    # uninstalls silently.
    set(CPACK_GENERATOR NSIS)
    set(CPACK_MODULE_PATH "${CMAKE_CURRENT_LIST_DIR}/nsis")
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(CPACK_READOUT_WINDOWS_BITS 64)
    else()
        set(CPACK_READOUT_WINDOWS_BITS 32)
    endif()
    set(CPACK_PACKAGE_FILE_NAME "orvane-readout-${PROJECT_VERSION}-win${CPACK_READOUT_WINDOWS_BITS}")
    set(CPACK_PACKAGE_INSTALL_DIRECTORY "Orvane 001 - Digital Readout")
    set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Orvane 001 - Digital Readout")
    set(CPACK_NSIS_PACKAGE_NAME "Orvane 001 - Digital Readout")
    set(CPACK_NSIS_MUI_ICON "${PROJECT_SOURCE_DIR}/src/resources/icons/orvane-readout.ico")
    set(CPACK_NSIS_MUI_UNIICON "${PROJECT_SOURCE_DIR}/src/resources/icons/orvane-readout.ico")
    # The simulated boards are a component only where they are built into the installation; the installer
    # knows them by the description in their version block.
    if(ENCODER_LIBRARY)
        set(CPACK_READOUT_SIMULATOR 0)
    else()
        set(CPACK_READOUT_SIMULATOR 1)
    endif()
    set(CPACK_READOUT_SIMULATOR_DESCRIPTION "${READOUT_SIMULATOR_DESCRIPTION}")
    # The mutex the running program holds, which the installer and the uninstaller look for.
    set(CPACK_READOUT_RUNNING_MUTEX "${READOUT_RUNNING_MUTEX}")
    # The copyright line of LICENSE, for the installer's version block.
    file(STRINGS "${PROJECT_SOURCE_DIR}/LICENSE" CPACK_READOUT_COPYRIGHT REGEX "^Copyright \\(c\\) " LIMIT_COUNT 1)

    # What the uninstaller deletes: the program's files by name, never the rest of its folders, where a
    # card owner may have put the card's library. Each removal is checked (the script's REMOVE).
    get_property(readout_program_files GLOBAL PROPERTY READOUT_PROGRAM_FILES)
    set(readout_uninstall_lines "")
    foreach(file IN LISTS readout_program_files)
        string(REPLACE "/" "\\" file "${file}")
        string(APPEND readout_uninstall_lines "    !insertmacro REMOVE \"$INSTDIR\\${file}\"\n")
    endforeach()
    set(CPACK_READOUT_UNINSTALL_LIST "${PROJECT_BINARY_DIR}/nsis/uninstall-files.nsh")
    file(WRITE "${CPACK_READOUT_UNINSTALL_LIST}" "${readout_uninstall_lines}")
endif()

include(CPack)
