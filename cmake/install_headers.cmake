# Runs at install time (see install.cmake): installs zarvqencore.h and every
# header it includes, directly or not, keeping their paths below the
# destination.
#
# In:  ZARVQEN_HEADER_ROOTS        folders a quoted include is relative to
#                                  (the source tree, the generated headers)
#      ZARVQEN_HEADER_DESTINATION  include/zarvqencore under the prefix
#
# Only quoted includes are followed: angle includes are the standard library
# and the system's. A quoted include that is in no root stops the install,
# since the installed headers would not compile.
set(pending zarvqencore.h)
set(seen "")
while(pending)
    list(POP_FRONT pending header)
    # list(FIND): install scripts run without the policies of the project.
    list(FIND seen ${header} at)
    if(NOT at EQUAL -1)
        continue()
    endif()
    list(APPEND seen ${header})

    set(found "")
    foreach(root ${ZARVQEN_HEADER_ROOTS})
        if(EXISTS "${root}/${header}")
            set(found "${root}/${header}")
            break()
        endif()
    endforeach()
    if(NOT found)
        message(FATAL_ERROR "zarvqencore: header ${header} is included but not found")
    endif()

    get_filename_component(subdir "${header}" DIRECTORY)
    file(INSTALL DESTINATION "${ZARVQEN_HEADER_DESTINATION}/${subdir}" TYPE FILE
         FILES "${found}")

    file(STRINGS "${found}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" included "${line}")
        list(APPEND pending ${included})
    endforeach()
endwhile()
