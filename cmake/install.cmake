# What `cmake --install` puts under the prefix:
#
#   include/zarvqencore/       the umbrella header and every header it reaches
#   lib/                       the shared libraries zarvqencore, zarvkernel, zarvlib
#   lib/cmake/zarvqencore/     the CMake package (find_package(zarvqencore))
#   lib/pkgconfig/             zarvqencore.pc
#   bin/zarvqen                the command-line tool
#   share/man/man1/zarvqen.1   its manual page
#   lib/python3*/dist-packages/zarvqencore
#                              the Python package (python/CMakeLists.txt)
#
# The static archive zarvqencore_static is not installed: it exists so that
# white-box tests reach internal classes, and programs outside the tree use
# the shared library.
#
# The headers include each other from the root of the tree
# ("engine/db_engine.h"), so include/zarvqencore must be on the include
# path; include/ is too, for #include <zarvqencore/zarvqencore.h>. The
# package and the .pc file give both.
include(CMakePackageConfigHelpers)

set(ZARVQEN_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/zarvqencore)
set(ZARVQEN_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/zarvqencore)

# Libraries a program links, in the CMake package as zarvqencore::<name>.
# A new layer library is added to this list.
set(ZARVQEN_INSTALLED_LIBRARIES zarvqencore zarvkernel zarvlib)

install(TARGETS ${ZARVQEN_INSTALLED_LIBRARIES}
        EXPORT zarvqencoreTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} ${ZARVQEN_INSTALL_INCLUDEDIR})

if(TARGET zarvqen)
    install(TARGETS zarvqen RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${PROJECT_SOURCE_DIR}/docs/zarvqen.1
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# The public headers are those the umbrella header reaches. They are found
# when installing, by following the includes, so a header that a change
# starts to include is installed without touching this file, and test and
# tool headers never are.
install(CODE "
    set(ZARVQEN_HEADER_ROOTS \"${PROJECT_SOURCE_DIR};${PROJECT_BINARY_DIR}/include\")
    set(ZARVQEN_HEADER_DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${ZARVQEN_INSTALL_INCLUDEDIR}\")
    include(\"${CMAKE_CURRENT_LIST_DIR}/install_headers.cmake\")
")

# The CMake package.
install(EXPORT zarvqencoreTargets
        NAMESPACE zarvqencore::
        FILE zarvqencoreTargets.cmake
        DESTINATION ${ZARVQEN_INSTALL_CMAKEDIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/zarvqencoreConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/zarvqencoreConfig.cmake
                              INSTALL_DESTINATION ${ZARVQEN_INSTALL_CMAKEDIR})
# A program built for 1.x runs with any later 1.x: the major version is the
# one the shared libraries' SONAME carries.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/zarvqencoreConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION}
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/zarvqencoreConfig.cmake
              ${PROJECT_BINARY_DIR}/zarvqencoreConfigVersion.cmake
        DESTINATION ${ZARVQEN_INSTALL_CMAKEDIR})

# The pkg-config file names the prefix given when installing.
install(CODE "
    set(ZARVQEN_PC_TEMPLATE \"${CMAKE_CURRENT_LIST_DIR}/zarvqencore.pc.in\")
    set(ZARVQEN_PC_OUTPUT \"${PROJECT_BINARY_DIR}/zarvqencore.pc\")
    set(ZARVQEN_PC_LIBDIR \"${CMAKE_INSTALL_LIBDIR}\")
    set(ZARVQEN_PC_INCLUDEDIR \"${CMAKE_INSTALL_INCLUDEDIR}\")
    set(ZARVQEN_PC_VERSION \"${PROJECT_VERSION}\")
    include(\"${CMAKE_CURRENT_LIST_DIR}/install_pkgconfig.cmake\")
")
