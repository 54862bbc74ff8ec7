# What a Windows build of the program needs beside it: the Qt libraries and the plugins it loads (the
# platform, the style), and the compiler's runtime libraries. They are copied next to the executables in
# the build tree, so the program and the tests run from there, and installed beside the program. What is
# installed is listed in the global property READOUT_PROGRAM_FILES, for the uninstaller.

# The targets are the Qt in use's (Qt 5 or Qt 6), whose files are named after it (Qt5Core.dll, Qt6Core.dll).
set(qt Qt${QT_VERSION_MAJOR})
set(readout_qt_libraries ${qt}::Core ${qt}::Gui ${qt}::Widgets)
# Plugin target, and the folder beside the program where Qt looks for it.
set(readout_qt_plugins
    ${qt}::QWindowsIntegrationPlugin platforms
    ${qt}::QOffscreenIntegrationPlugin platforms
    ${qt}::QWindowsVistaStylePlugin styles)

function(readout_imported_location target out)
    foreach(property IMPORTED_LOCATION_RELEASE IMPORTED_LOCATION_RELWITHDEBINFO IMPORTED_LOCATION)
        get_target_property(location ${target} ${property})
        if(location)
            set(${out} "${location}" PARENT_SCOPE)
            return()
        endif()
    endforeach()
    message(FATAL_ERROR "No library file for ${target}")
endfunction()

# The compiler's runtime, found where the compiler itself finds it.
set(readout_compiler_runtime libstdc++-6.dll libwinpthread-1.dll)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    list(APPEND readout_compiler_runtime libgcc_s_dw2-1.dll)
else()
    list(APPEND readout_compiler_runtime libgcc_s_seh-1.dll)
endif()
set(readout_runtime_files "")
if(NOT MSVC)
    foreach(name IN LISTS readout_compiler_runtime)
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${name}
                        OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
            message(FATAL_ERROR "The compiler's runtime library ${name} was not found")
        endif()
        get_filename_component(path "${path}" REALPATH)
        list(APPEND readout_runtime_files "${path}")
    endforeach()
endif()

foreach(target IN LISTS readout_qt_libraries)
    readout_imported_location(${target} path)
    list(APPEND readout_runtime_files "${path}")
endforeach()

set(out ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
file(COPY ${readout_runtime_files} DESTINATION ${out})
install(FILES ${readout_runtime_files} DESTINATION bin)
foreach(path IN LISTS readout_runtime_files)
    get_filename_component(name "${path}" NAME)
    set_property(GLOBAL APPEND PROPERTY READOUT_PROGRAM_FILES bin/${name})
endforeach()

list(LENGTH readout_qt_plugins count)
math(EXPR last "${count} - 1")
foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET readout_qt_plugins ${i} target)
    list(GET readout_qt_plugins ${j} folder)
    readout_imported_location(${target} path)
    file(COPY "${path}" DESTINATION ${out}/${folder})
    # Headless running is for tests; the installed program draws on the desktop only.
    if(NOT target STREQUAL "${qt}::QOffscreenIntegrationPlugin")
        install(FILES "${path}" DESTINATION bin/${folder})
        get_filename_component(name "${path}" NAME)
        set_property(GLOBAL APPEND PROPERTY READOUT_PROGRAM_FILES bin/${folder}/${name})
    endif()
endforeach()

if(READOUT_BUILD_TESTS)
    readout_imported_location(${qt}::Test path)
    file(COPY "${path}" DESTINATION ${out})
endif()
