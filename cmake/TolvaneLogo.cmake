# tolvane_render_logo_png(<out.png> <size> [STYLESHEET <css>])
# Renders the mark res/logo/mark.svg as a square PNG at build time, optionally recoloured
# by a style sheet. Both the compiled-in logos and the installed desktop icons come from
# here, so every picture of the mark stays one drawing.
find_program(TOLVANE_RSVG_CONVERT rsvg-convert)
if(NOT TOLVANE_RSVG_CONVERT)
    message(FATAL_ERROR "rsvg-convert not found: install librsvg2-bin")
endif()
set(TOLVANE_LOGO_SVG ${PROJECT_SOURCE_DIR}/res/logo/mark.svg)

function(tolvane_render_logo_png out size)
    cmake_parse_arguments(ARG "" "STYLESHEET" "" ${ARGN})
    set(style_args)
    if(ARG_STYLESHEET)
        set(style_args --stylesheet ${ARG_STYLESHEET})
    endif()
    get_filename_component(out_dir ${out} DIRECTORY)
    add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
        COMMAND ${TOLVANE_RSVG_CONVERT} --width ${size} --height ${size} ${style_args}
            --output ${out} ${TOLVANE_LOGO_SVG}
        DEPENDS ${TOLVANE_LOGO_SVG} ${ARG_STYLESHEET}
        VERBATIM)
endfunction()
