# tolvane_generate_qrc(<out.qrc> PREFIX <prefix> BASE <dir> FILES <abs files...>)
# Writes a resource file listing FILES under PREFIX with aliases relative to BASE,
# so new QML documents or generated assets never need a hand-edited .qrc.
function(tolvane_generate_qrc out_qrc)
    cmake_parse_arguments(ARG "" "PREFIX;BASE" "FILES" ${ARGN})
    set(body "<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource prefix=\"${ARG_PREFIX}\">\n")
    foreach(f IN LISTS ARG_FILES)
        file(RELATIVE_PATH alias ${ARG_BASE} ${f})
        string(APPEND body "  <file alias=\"${alias}\">${f}</file>\n")
    endforeach()
    string(APPEND body "</qresource>\n</RCC>\n")
    file(GENERATE OUTPUT ${out_qrc} CONTENT "${body}")
endfunction()

# rcc with explicit dependencies: qt5_add_resources only scans a .qrc that already exists at
# configure time, which neither the generated lists nor the generated files do.
function(tolvane_compile_qrc name qrc)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/qrc_${name}.cpp)
    add_custom_command(OUTPUT ${out}
        COMMAND Qt5::rcc --name ${name} --output ${out} ${qrc}
        DEPENDS ${qrc} ${ARGN}
        VERBATIM)
    set(${name}_rcc_src ${out} PARENT_SCOPE)
endfunction()
