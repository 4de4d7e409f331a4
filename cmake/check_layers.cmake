# Checks that every include inside the library points down the layers, so
# that a wrong-way include fails the build instead of compiling:
#
#   0  host/zarvlib            utility
#   1  host/zarvkernel         kernel
#   2  catalogue               what every XML catalogue shares
#   3  meta, drvlib, pseudo    the catalogues
#   4  engine                  configuration databases, IO index, live values
#   5  driver                  the engine driver
#
# Public headers (what the umbrella header reaches, and what is installed)
# stay apart from internal ones: each layer keeps its internal headers in an
# `internal/` folder, and no public header includes one.
#
# Run as `cmake -DROOT=<source dir> -P check_layers.cmake`; the build runs it
# before it compiles the library.
cmake_minimum_required(VERSION 3.20)

# The layer of a path relative to the root; 6 for anything above the
# library (programs, the umbrella header).
function(zarv_layer_of path out)
    if(path MATCHES "^host/zarvlib[/.]")
        set(rank 0)
    elseif(path MATCHES "^host/zarvkernel[/.]")
        set(rank 1)
    elseif(path MATCHES "^catalogue/" OR path MATCHES "^zarvqen_(export|version)\\.h$")
        set(rank 2)
    elseif(path MATCHES "^(meta|drvlib|pseudo)/")
        set(rank 3)
    elseif(path MATCHES "^engine/")
        set(rank 4)
    elseif(path MATCHES "^driver/")
        set(rank 5)
    else()
        set(rank 6)
    endif()
    set(${out} ${rank} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE ${ROOT}
     ${ROOT}/host/*.h ${ROOT}/host/*.cpp ${ROOT}/catalogue/*.h ${ROOT}/catalogue/*.cpp
     ${ROOT}/meta/*.h ${ROOT}/meta/*.cpp ${ROOT}/drvlib/*.h ${ROOT}/drvlib/*.cpp
     ${ROOT}/pseudo/*.h ${ROOT}/pseudo/*.cpp ${ROOT}/engine/*.h ${ROOT}/engine/*.cpp
     ${ROOT}/driver/*.h ${ROOT}/driver/*.cpp)

set(wrong 0)
foreach(source ${sources})
    zarv_layer_of(${source} own)
    file(STRINGS ${ROOT}/${source} includes REGEX "^#include \"")
    foreach(line ${includes})
        string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" included "${line}")
        zarv_layer_of(${included} theirs)
        if(theirs GREATER own)
            message(SEND_ERROR "${source}: includes ${included}, which lies in a layer above it")
            math(EXPR wrong "${wrong} + 1")
        endif()
        if(source MATCHES "\\.h$" AND NOT source MATCHES "/internal/"
           AND included MATCHES "/internal/")
            message(SEND_ERROR "${source}: a public header includes the internal ${included}")
            math(EXPR wrong "${wrong} + 1")
        endif()
    endforeach()
endforeach()
if(wrong GREATER 0)
    message(FATAL_ERROR "${wrong} include(s) point up the layers or out of the public headers")
endif()
