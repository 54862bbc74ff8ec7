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
    # orvane-readout-simulated-boards_<version>_<arch>.deb (the component "simulator"), on which the
    # program's depends. A card's library comes first: the packaged program has no run path, and the
    # simulated boards are the system's libivrlib32.so in the loader's multiarch folder, as one of the
    # alternatives for it (update-alternatives, as Debian's BLAS libraries are provided). The loader
    # finds a card's library named by LD_LIBRARY_PATH, or in /usr/local/lib once ldconfig has registered
    # it, before that folder. Library dependencies are worked out from the installed binaries by
    # dpkg-shlibdeps (package dpkg-dev); lintian finds nothing to report in either package.
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    # The dialogs are laid out in dialog units from a sans-serif face; DejaVu Sans is the one they are
    # drawn for.
    set(readout_recommends fonts-dejavu-core)
    # The packaged program has no run path; the simulated boards' package gets its lintian override.
    set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/DebStagedFiles.cmake")
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
It runs on the simulated boards of orvane-readout-simulated-boards unless a
card's libivrlib32.so comes first: one in /usr/local/lib (after ldconfig) or
named by LD_LIBRARY_PATH.")
        set(CPACK_DEBIAN_SIMULATOR_DESCRIPTION "Simulated encoder boards for the digital readout
The encoder interface library libivrlib32.so as a simulator of encoder
interface boards with moving channels, for the readout without a card. It is
the system's libivrlib32.so only where no card's library comes first: one in
/usr/local/lib (after ldconfig) or named by LD_LIBRARY_PATH is used instead.
The window's title ends in (simulated boards) while they are in use.")
        set(CPACK_DEBIAN_PROGRAM_PACKAGE_RECOMMENDS ${readout_recommends})
        # Every apt path leaves the program an interface library: with a card as well, since the card's
        # comes first.
        set(CPACK_DEBIAN_PROGRAM_PACKAGE_DEPENDS
            "${CPACK_DEBIAN_SIMULATOR_PACKAGE_NAME} (>= ${PROJECT_VERSION})")
        # Up to 1.0.0 the program's own package held the simulator's file, lib/orvane-readout/libivrlib32.so,
        # and its program looked there first. No dependency back on the program, which would make a cycle:
        # apt upgrades the two in the order it needs. (dpkg -i with the simulated boards named before the
        # program stops at them over a 1.0.0 program, as Breaks asks; docs/installing.md.)
        set(CPACK_DEBIAN_SIMULATOR_PACKAGE_BREAKS "${CPACK_PACKAGE_NAME} (<< 1.1.0)")
        set(CPACK_DEBIAN_SIMULATOR_PACKAGE_REPLACES "${CPACK_PACKAGE_NAME} (<< 1.1.0)")
        set(CPACK_DEBIAN_SIMULATOR_PACKAGE_ENHANCES ${CPACK_PACKAGE_NAME})
        # The alternative, installed on configure and removed with the package, and the loader's cache
        # brought up to date through dpkg's ldconfig trigger. Lintian sees no library of the package in the
        # loader's folders (the link is made by update-alternatives) and would call the trigger
        # unnecessary; the package says why it is not.
        set(readout_multiarch "${CMAKE_LIBRARY_ARCHITECTURE}")
        if(NOT readout_multiarch)
            set(readout_multiarch x86_64-linux-gnu)
        endif()
        set(readout_alternative "libivrlib32.so-${readout_multiarch}")
        set(readout_alternative_link "/usr/lib/${readout_multiarch}/libivrlib32.so")
        set(readout_simulator_path "/usr/lib/orvane-readout/libivrlib32.so")
        set(readout_control ${PROJECT_BINARY_DIR}/dist/simulator-control)
        file(CONFIGURE OUTPUT ${readout_control}/postinst CONTENT [[#!/bin/sh
set -e
if [ "$1" = configure ] || [ "$1" = abort-upgrade ] || [ "$1" = abort-deconfigure ] || [ "$1" = abort-remove ]; then
    update-alternatives --install @readout_alternative_link@ @readout_alternative@ @readout_simulator_path@ 10
fi
]] @ONLY)
        file(CONFIGURE OUTPUT ${readout_control}/prerm CONTENT [[#!/bin/sh
set -e
if [ "$1" = remove ] || [ "$1" = deconfigure ]; then
    update-alternatives --remove @readout_alternative@ @readout_simulator_path@
fi
]] @ONLY)
        file(CONFIGURE OUTPUT ${readout_control}/triggers CONTENT "activate-noawait ldconfig\n")
        set(CPACK_DEBIAN_SIMULATOR_PACKAGE_CONTROL_EXTRA
            "${readout_control}/postinst;${readout_control}/prerm;${readout_control}/triggers")
        set(CPACK_DEBIAN_SIMULATOR_PACKAGE_CONTROL_STRICT_PERMISSION ON)
        set(CPACK_READOUT_SIMULATOR_OVERRIDES
"# The package makes ${readout_alternative_link} with update-alternatives: the
# loader's cache needs the trigger for that link, which lintian does not see.
${CPACK_DEBIAN_SIMULATOR_PACKAGE_NAME}: package-has-unnecessary-activation-of-ldconfig-trigger
")
    endif()
    # CPack has postrm call ldconfig for the simulated boards, which the trigger does: the simulator's
    # package is rebuilt without it.
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
    # The oldest Windows the program starts on, its Qt's: the installer refuses an older one.
    set(CPACK_READOUT_OLDEST_BUILD ${READOUT_OLDEST_WINDOWS_BUILD})
    set(CPACK_READOUT_OLDEST_WINDOWS "${READOUT_OLDEST_WINDOWS}")
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
    # The files an earlier release installed that this one does not: the Qt libraries of the other major
    # version (1.1.0's 32-bit program was built on Qt 6, 1.2.0's on Qt 5). An upgrade removes them, and so
    # does the uninstaller, after a downgrade left them.
    set(readout_earlier_lines "")
    foreach(major 5 6)
        foreach(module Core Gui Widgets)
            set(file bin/Qt${major}${module}.dll)
            if(NOT file IN_LIST readout_program_files)
                string(REPLACE "/" "\\" file "${file}")
                string(APPEND readout_earlier_lines "    !insertmacro REMOVE \"$INSTDIR\\${file}\"\n")
            endif()
        endforeach()
    endforeach()
    set(CPACK_READOUT_EARLIER_LIST "${PROJECT_BINARY_DIR}/nsis/earlier-files.nsh")
    file(WRITE "${CPACK_READOUT_EARLIER_LIST}" "${readout_earlier_lines}")
endif()

include(CPack)
