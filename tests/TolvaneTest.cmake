find_package(Qt5 5.15 REQUIRED COMPONENTS Test QuickTest)

# tolvane_add_test(<name> LABEL <unit|x11|qml|system> SOURCES <files...> LIBS <libs...>)
# unit tests run on the offscreen platform; x11 tests on the X server of the test command.
# LIBS names the lowest layer the test needs (tolvane_item, tolvane_os, tolvane_services,
# tolvane_shell), plus tolvane_resources when it loads the compiled QML or resources.
function(tolvane_add_test name)
    cmake_parse_arguments(ARG "" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} tolvane_testcommon Qt5::Test)
    tolvane_target_warnings(${name})
    add_test(NAME ${name} COMMAND ${name})
    set(env "QT_QPA_PLATFORM=offscreen")
    if(ARG_LABEL STREQUAL "x11" OR ARG_LABEL STREQUAL "system")
        set(env "QT_QPA_PLATFORM=xcb")
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABEL}" TIMEOUT ${ARG_TIMEOUT}
        ENVIRONMENT "${env};QT_LOGGING_RULES=tolvane.*.debug=false")
    # The X clipboard and focus are shared by everything on the display.
    if(ARG_LABEL STREQUAL "x11" OR ARG_LABEL STREQUAL "system")
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK xserver)
    endif()
endfunction()
