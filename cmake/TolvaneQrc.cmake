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

# tolvane_compile_qml(<out var> <qrc> <rcc qrc> <files...>)
# Byte code of every .qml and .js file of <qrc>, compiled ahead of time by qmlcachegen (what
# Qt5QuickCompiler's qtquick_compiler_add_resources does, which needs the resource list at
# configure time), and the loader that hands it to the QML engine and initialises the
# resource compiled from <rcc qrc>.
find_program(TOLVANE_QMLCACHEGEN qmlcachegen
    HINTS ${_qt5Core_install_prefix}/lib/qt5/bin /usr/lib/qt5/bin NO_DEFAULT_PATH)
if(NOT TOLVANE_QMLCACHEGEN)
    message(FATAL_ERROR "qmlcachegen not found (Debian: qtdeclarative5-dev-tools)")
endif()
function(tolvane_compile_qml out_var qrc rcc_qrc)
    set(outputs)
    foreach(f IN LISTS ARGN)
        if(NOT f MATCHES "\\.(qml|js)$")
            continue()
        endif()
        file(RELATIVE_PATH rel ${CMAKE_CURRENT_SOURCE_DIR} ${f})
        string(REGEX REPLACE "[/.]" "_" stem ${rel})
        set(out ${CMAKE_CURRENT_BINARY_DIR}/qmlc_${stem}.cpp)
        add_custom_command(OUTPUT ${out}
            COMMAND ${TOLVANE_QMLCACHEGEN} --resource=${qrc} ${f} -o ${out}
            DEPENDS ${f} ${qrc}
            VERBATIM)
        list(APPEND outputs ${out})
    endforeach()
    # qmlcachegen writes a loader only for an output named qmlcache_loader.cpp.
    set(loader ${CMAKE_CURRENT_BINARY_DIR}/qmlcache_loader.cpp)
    add_custom_command(OUTPUT ${loader}
        COMMAND ${TOLVANE_QMLCACHEGEN} --resource-file-mapping=${qrc}=${rcc_qrc} ${qrc}
            -o ${loader}
        DEPENDS ${qrc} ${rcc_qrc}
        VERBATIM)
    list(APPEND outputs ${loader})
    set(${out_var} ${outputs} PARENT_SCOPE)
endfunction()
