# Compiler warnings for every target of the project, errors when TOLVANE_WERROR is on (CI
# turns it on). Generated code (moc, rcc) is exempt: it is not ours to fix.
option(TOLVANE_WERROR "Treat compiler warnings as errors" OFF)

add_library(tolvane_warnings INTERFACE)
target_compile_options(tolvane_warnings INTERFACE
    -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Wimplicit-fallthrough)
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    # Silent truncation of 64-bit sizes and a missing override among marked ones.
    target_compile_options(tolvane_warnings INTERFACE
        -Wshorten-64-to-32 -Winconsistent-missing-override
        -Winconsistent-missing-destructor-override)
endif()
if(TOLVANE_WERROR)
    target_compile_options(tolvane_warnings INTERFACE -Werror)
endif()

# tolvane_target_warnings(<target>): the warnings for the target's own sources; the moc
# output that AUTOMOC compiles beside them is built without warnings.
function(tolvane_target_warnings target)
    target_link_libraries(${target} PRIVATE tolvane_warnings)
    get_target_property(binary_dir ${target} BINARY_DIR)
    set_source_files_properties(${binary_dir}/${target}_autogen/mocs_compilation.cpp
        PROPERTIES COMPILE_OPTIONS -w)
endfunction()
