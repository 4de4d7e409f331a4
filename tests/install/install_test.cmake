# Driver of the install test (cmake -P, registered in CMakeLists.txt here).
#
#   1. cmake --install BUILD_DIR into WORK_DIR/prefix, check the layout;
#   2. the installed tool prints its version and writes the demo files;
#   3. the consumer is built with find_package and run on rs200.dat;
#   4. the consumer is built from pkg-config's flags alone and run again;
#   5. the Python package imports from the prefix (when PYTHON is given).
#
# In: BUILD_DIR WORK_DIR CONSUMER_DIR VERSION GENERATOR CXX LAUNCHER
#     CXX_FLAGS PKG_CONFIG PYTHON
cmake_minimum_required(VERSION 3.20)

set(prefix ${WORK_DIR}/prefix)
set(demo ${WORK_DIR}/demo)

# Runs a command; a failure ends the test with its output. The standard
# output is left in `run_out`.
function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        list(JOIN ARGN " " cmd)
        message(FATAL_ERROR "failed (${rc}): ${cmd}\n${out}\n${err}")
    endif()
    set(run_out "${out}" PARENT_SCOPE)
endfunction()

function(expect_output text what)
    string(FIND "${run_out}" "${text}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "${what}: expected \"${text}\" in:\n${run_out}")
    endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

# 1. Install and look at what landed.
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
include(GNUInstallDirs)  # the same default directories as the build
set(libdir ${prefix}/${CMAKE_INSTALL_LIBDIR})
foreach(file include/zarvqencore/zarvqencore.h
             include/zarvqencore/zarvqen_version.h
             include/zarvqencore/zarvqen_export.h
             include/zarvqencore/engine/db_engine.h
             include/zarvqencore/host/zarvlib/zarvlib_export.h
             ${CMAKE_INSTALL_LIBDIR}/libzarvqencore.so.1
             ${CMAKE_INSTALL_LIBDIR}/libzarvkernel.so.1
             ${CMAKE_INSTALL_LIBDIR}/libzarvlib.so.1
             ${CMAKE_INSTALL_LIBDIR}/libzarvqencore.so
             ${CMAKE_INSTALL_LIBDIR}/cmake/zarvqencore/zarvqencoreConfig.cmake
             ${CMAKE_INSTALL_LIBDIR}/cmake/zarvqencore/zarvqencoreConfigVersion.cmake
             ${CMAKE_INSTALL_LIBDIR}/pkgconfig/zarvqencore.pc
             bin/zarvqen
             share/man/man1/zarvqen.1)
    if(NOT EXISTS ${prefix}/${file})
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()
foreach(unwanted include/zarvqencore/tests include/zarvqencore/tools
                 ${CMAKE_INSTALL_LIBDIR}/libzarvqencore_static.a)
    if(EXISTS ${prefix}/${unwanted})
        message(FATAL_ERROR "installed but internal: ${unwanted}")
    endif()
endforeach()

# 2. The installed tool runs from the prefix without help (its run path)
# and writes the database the consumer reads.
run(${prefix}/bin/zarvqen --version)
expect_output("zarvqen ${VERSION}" "zarvqen --version")
run(${prefix}/bin/zarvqen demo ${demo})
set(consumer_args ${demo}/meta.xml ${demo}/rs200.dat 200)
set(expected "RID 200: 12 points")

# 3. find_package. Only the prefix is offered, so the build tree cannot
# stand in for the installation.
set(launcher_arg "")
if(LAUNCHER)
    set(launcher_arg -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER})
endif()
run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/cmake -G ${GENERATOR}
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=${CXX} ${launcher_arg}
    "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF)
file(STRINGS ${WORK_DIR}/cmake/CMakeCache.txt found_dir REGEX "^zarvqencore_DIR:")
if(NOT found_dir STREQUAL "zarvqencore_DIR:PATH=${libdir}/cmake/zarvqencore")
    message(FATAL_ERROR "find_package found another zarvqencore: ${found_dir}")
endif()
run(${CMAKE_COMMAND} --build ${WORK_DIR}/cmake)
run(${WORK_DIR}/cmake/zarvqen_consumer ${consumer_args})
expect_output("${expected}" "consumer built with find_package")
expect_output("zarvqencore ${VERSION}, compiled against ${VERSION}" "version of the consumer")

# 4. pkg-config: a plain compiler command, as a Makefile would write it.
set(ENV{PKG_CONFIG_PATH} ${libdir}/pkgconfig)
run(${PKG_CONFIG} --cflags --libs zarvqencore)
string(STRIP "${run_out}" pc_flags)
string(FIND "${pc_flags}" "${prefix}" at)
if(at EQUAL -1)
    message(FATAL_ERROR "pkg-config flags do not point into the prefix: ${pc_flags}")
endif()
# Requires.private must name packages that exist, or every static query fails.
run(${PKG_CONFIG} --static --libs zarvqencore)
separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
separate_arguments(extra_flags UNIX_COMMAND "${CXX_FLAGS}")
file(MAKE_DIRECTORY ${WORK_DIR}/pkgconfig)
run(${LAUNCHER} ${CXX} -std=c++20 ${extra_flags} -DCONSUMER_SHORT_INCLUDE
    ${CONSUMER_DIR}/consumer.cpp ${pc_flags}
    -o ${WORK_DIR}/pkgconfig/zarvqen_consumer)
# pkg-config gives no run path: the program finds the libraries the way a
# program does under a non-system prefix.
run(${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${libdir}
    ${WORK_DIR}/pkgconfig/zarvqen_consumer ${consumer_args})
expect_output("${expected}" "consumer built with pkg-config")

# 5. The Python package, when the build made it: installed into the folder
# the interpreter searches for this prefix, it imports from there without
# the build tree (its run path finds the libraries) and reads the demo's
# database.
if(PYTHON)
    execute_process(COMMAND ${PYTHON} -c
                    "import sysconfig; print(sysconfig.get_python_version())"
                    OUTPUT_VARIABLE pyver OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(pydir ${prefix}/lib/python${pyver}/dist-packages)
    if(NOT EXISTS ${pydir}/zarvqencore/__init__.py)
        message(FATAL_ERROR "not installed: the Python package in ${pydir}")
    endif()
    run(${CMAKE_COMMAND} -E env PYTHONPATH=${pydir} PYTHONDONTWRITEBYTECODE=1
        ${PYTHON} ${CONSUMER_DIR}/consumer.py ${demo}/rs200.dat 200 1)
    expect_output("${pydir}/zarvqencore/__init__.py" "import of the installed package")
    expect_output("12 points" "the installed package reading rs200.dat")
endif()
