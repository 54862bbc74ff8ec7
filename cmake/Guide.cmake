# The operator's guide, docs/guide.md, as one HTML page with its pictures, made at build time in
# <build>/doc/ and installed with the program: on Linux in share/doc/orvane-readout (the Debian package's
# doc folder), on Windows in the program's folder under doc\, where the installer's Start-menu shortcut
# leads and the uninstaller removes it. Python-Markdown converts it (markdown_py, Debian's
# python3-markdown; cmake/GuideToHtml.cmake).

find_program(READOUT_MARKDOWN markdown_py)
if(NOT READOUT_MARKDOWN)
    message(FATAL_ERROR "markdown_py (Python-Markdown, Debian's python3-markdown) is needed to make the "
                        "operator's guide from docs/guide.md")
endif()

set(readout_guide_pictures
    readout.png axis-properties.png ssi-properties.png inc-properties.png inc-status.png ssi-status.png)
set(readout_guide_dir ${PROJECT_BINARY_DIR}/doc)
set(readout_guide_files ${readout_guide_dir}/guide.html)
foreach(picture IN LISTS readout_guide_pictures)
    configure_file(${PROJECT_SOURCE_DIR}/docs/${picture} ${readout_guide_dir}/${picture} COPYONLY)
    list(APPEND readout_guide_files ${readout_guide_dir}/${picture})
endforeach()

add_custom_command(OUTPUT ${readout_guide_dir}/guide.html
    COMMAND ${CMAKE_COMMAND} -DMARKDOWN=${READOUT_MARKDOWN} -DSOURCE=${PROJECT_SOURCE_DIR}/docs/guide.md
            -DTEMPLATE=${PROJECT_SOURCE_DIR}/dist/guide.html.in -DOUTPUT=${readout_guide_dir}/guide.html
            -DPROJECT_VERSION=${PROJECT_VERSION} -P ${CMAKE_CURRENT_LIST_DIR}/GuideToHtml.cmake
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/guide.md ${PROJECT_SOURCE_DIR}/dist/guide.html.in
            ${CMAKE_CURRENT_LIST_DIR}/GuideToHtml.cmake
    VERBATIM)
add_custom_target(readout_guide ALL DEPENDS ${readout_guide_dir}/guide.html)

if(WIN32)
    install(FILES ${readout_guide_files} DESTINATION doc)
    foreach(file IN LISTS readout_guide_files)
        get_filename_component(name ${file} NAME)
        set_property(GLOBAL APPEND PROPERTY READOUT_PROGRAM_FILES doc/${name})
    endforeach()
else()
    install(FILES ${readout_guide_files} DESTINATION share/doc/orvane-readout)
endif()
