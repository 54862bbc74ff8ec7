# Run as a script (cmake -P) by cmake/Guide.cmake: the operator's guide in Markdown to one HTML page.
# Python-Markdown converts it, with tables and an id on each heading (named as the links of the other
# documents into it expect); the page around it is TEMPLATE, into which the converted text and
# PROJECT_VERSION go.
#
# Variables: MARKDOWN (the markdown_py program), SOURCE, TEMPLATE, OUTPUT, PROJECT_VERSION.
execute_process(
    COMMAND "${MARKDOWN}" -x tables -x toc -e utf-8 "${SOURCE}"
    OUTPUT_VARIABLE readout_guide_body
    ERROR_VARIABLE errors
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${MARKDOWN} could not convert ${SOURCE} (${status}):\n${errors}")
endif()
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
