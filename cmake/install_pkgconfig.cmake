# Runs at install time (see install.cmake): writes zarvqencore.pc for the
# prefix actually installed into, which `cmake --install --prefix` only
# names then, and installs it.
#
# In: ZARVQEN_PC_TEMPLATE, ZARVQEN_PC_OUTPUT (a file in the build tree),
#     ZARVQEN_PC_LIBDIR, ZARVQEN_PC_INCLUDEDIR, ZARVQEN_PC_VERSION
#
# A prefix relative to the .pc file's own folder (${pcfiledir}) would do
# without this step, but for /usr it gives -I/usr/lib/pkgconfig/../../include,
# which pkg-config does not recognise as the system folder it drops, and a
# system folder given with -I breaks the #include_next of the C++ headers.
set(ZARVQEN_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
configure_file("${ZARVQEN_PC_TEMPLATE}" "${ZARVQEN_PC_OUTPUT}" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${ZARVQEN_PC_LIBDIR}/pkgconfig" TYPE FILE
     FILES "${ZARVQEN_PC_OUTPUT}")
