# The include graph must show the layers: a file may include its own layer and the layers
# below it, never one above. Run as: cmake -DSRC=<repository>/src -P check_includes.cmake
# Layers by folder, bottom to top (the shell is every file directly in src/):
#   item        item
#   os          os, os/<backend>
#   settings    settings
#   translation translation
#   clipboard   clipboard
#   datasync, updater   beside each other, above the services
#   shell       src/ itself, which may include everything
cmake_minimum_required(VERSION 3.16)
if(NOT SRC)
    message(FATAL_ERROR "usage: cmake -DSRC=<src folder> -P check_includes.cmake")
endif()

set(allowed_item item)
set(allowed_os item os)
set(allowed_settings item os settings)
set(allowed_translation item os settings translation)
set(allowed_clipboard item os settings translation clipboard)
set(allowed_datasync item os settings translation clipboard datasync)
set(allowed_updater item os settings translation clipboard updater)

file(GLOB_RECURSE files RELATIVE ${SRC} ${SRC}/*.h ${SRC}/*.cpp)
set(violations 0)
foreach(rel IN LISTS files)
    if(rel MATCHES "^([a-z]+)/")
        set(layer ${CMAKE_MATCH_1})
    else()
        continue() # the shell
    endif()
    if(NOT DEFINED allowed_${layer})
        message(SEND_ERROR "${rel}: src/${layer} is no known layer; add it to ${CMAKE_CURRENT_LIST_FILE}")
        math(EXPR violations "${violations} + 1")
        continue()
    endif()
    file(STRINGS ${SRC}/${rel} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" header "${line}")
        if(header MATCHES "\\.moc$")
            continue() # generated beside the file
        endif()
        if(header MATCHES "^([a-z_]+)/")
            set(target ${CMAKE_MATCH_1})
        else()
            set(target shell) # a bare name is found in src/, the shell's folder
        endif()
        if(NOT target IN_LIST allowed_${layer})
            message(SEND_ERROR "src/${rel} (layer ${layer}) includes \"${header}\" of layer ${target}")
            math(EXPR violations "${violations} + 1")
        endif()
    endforeach()
endforeach()

list(LENGTH files count)
if(violations GREATER 0)
    message(FATAL_ERROR "${violations} include(s) point upwards")
endif()
message(STATUS "${count} files, every include points down or sideways within its layer")
