# Run by CPack after it installed the files to be packaged and before it builds the Debian packages.
# The run path comes out of the program: the installed program's names /usr/local/lib and the program's
# own library folder (src/CMakeLists.txt), while the packaged program finds its interface library where
# the system's loader looks, which has a card's library before the simulated boards. And the simulated
# boards' package gets its lintian override, which `cmake --install` has no use for.
foreach(program IN ITEMS
        "${CPACK_TEMPORARY_DIRECTORY}/program${CPACK_PACKAGING_INSTALL_PREFIX}/bin/orvane-readout"
        "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/bin/orvane-readout")
    if(EXISTS "${program}")
        file(RPATH_REMOVE FILE "${program}")
    endif()
endforeach()
set(simulator "${CPACK_TEMPORARY_DIRECTORY}/simulator${CPACK_PACKAGING_INSTALL_PREFIX}")
if(CPACK_READOUT_SIMULATOR_OVERRIDES AND EXISTS "${simulator}")
    file(WRITE "${simulator}/share/lintian/overrides/${CPACK_DEBIAN_SIMULATOR_PACKAGE_NAME}"
         "${CPACK_READOUT_SIMULATOR_OVERRIDES}")
endif()
