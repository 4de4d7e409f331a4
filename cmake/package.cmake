# `make package` (the CPack target `package`): one Debian package holding
# what `cmake --install` installs, under /usr.
#
# Its dependencies: the run-time packages the binaries load, found by
# dpkg-shlibdeps (libpugixml1v5, zlib1g, libstdc++6, libc6, ...), and the
# development packages of pugixml and zlib, because the package is also the
# development kit: its CMake package finds them with find_dependency and its
# .pc file names them in Requires.private.
set(ZARVQEN_PACKAGE_MAINTAINER "zarvqencore developers" CACHE STRING
    "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zarvqencore)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "core library of the configuration engine, its headers and the zarvqen tool")
set(CPACK_PACKAGE_DESCRIPTION
    "Loads and saves the catalogues and configuration databases of a data-acquisition \
installation and serves live values to its kernel. Contains the shared libraries \
zarvqencore, zarvkernel and zarvlib, their headers, the CMake package and pkg-config \
file, the command-line tool zarvqen with its manual page, and the Python module \
zarvqencore.")
# Install with DESTDIR, so that the install rules see the real prefix /usr
# (zarvqencore.pc is written for the prefix it is installed under); in that
# mode CPack takes the prefix from CPACK_INSTALL_PREFIX.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZARVQEN_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The tool and zarvqencore need zarvkernel and zarvlib from this package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/lib)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libpugixml-dev, zlib1g-dev")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pkg-config, cmake")
# The Python module is built for one version of Debian's interpreter.
if(TARGET zarvqencore_python)
    math(EXPR next_minor "${ZARV_PYTHON_VERSION_MINOR} + 1")
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
        "python3 (>= ${ZARV_PYTHON_VERSION_MAJOR}.${ZARV_PYTHON_VERSION_MINOR}), python3 (<< ${ZARV_PYTHON_VERSION_MAJOR}.${next_minor})")
endif()

include(CPack)
