# Install rules, the CMake package, the pkg-config file and the packages.
#
#   cmake --install build/default --prefix DIR   header, library, ruvo-pack, docs
#   find_package(ruvodraw1024 CONFIG)            target ruvodraw1024::ruvodraw1024
#   pkg-config --cflags --libs ruvodraw1024
#   cpack (in the build directory)               a .deb on Linux, a .zip per Windows DLL
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(RUVO_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/ruvodraw1024)
# Where the reference pages are generated; installed when they were built.
set(RUVO_DOCS_HTML_DIR ${PROJECT_BINARY_DIR}/docs/html CACHE PATH
    "generated HTML reference to install (skipped when absent)")

install(TARGETS ruvodraw1024 EXPORT ruvodraw1024Targets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES include/ruvodraw1024.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
if(WIN32)
  # The export table's source, for hosts that make their own import library.
  install(FILES interface/ruvodraw1024.def DESTINATION ${CMAKE_INSTALL_LIBDIR})
endif()
if(TARGET ruvo-pack)
  install(TARGETS ruvo-pack EXPORT ruvodraw1024Targets RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${RUVO_DOCS_HTML_DIR}/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/html OPTIONAL)

install(EXPORT ruvodraw1024Targets NAMESPACE ruvodraw1024:: DESTINATION ${RUVO_CMAKE_DIR})
configure_package_config_file(cmake/ruvodraw1024Config.cmake.in
  ${PROJECT_BINARY_DIR}/ruvodraw1024Config.cmake INSTALL_DESTINATION ${RUVO_CMAKE_DIR})
# 0.x: a minor version may change the interface.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/ruvodraw1024ConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/ruvodraw1024Config.cmake
  ${PROJECT_BINARY_DIR}/ruvodraw1024ConfigVersion.cmake DESTINATION ${RUVO_CMAKE_DIR})

# The .pc file finds its prefix from its own place, so the tree can move
# (the .deb puts it under /usr whatever prefix was configured).
file(RELATIVE_PATH RUVO_PC_TO_PREFIX ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig
     ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" RUVO_PC_TO_PREFIX "${RUVO_PC_TO_PREFIX}")
configure_file(cmake/ruvodraw1024.pc.in ${PROJECT_BINARY_DIR}/ruvodraw1024.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/ruvodraw1024.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

set(CPACK_PACKAGE_NAME ruvodraw1024)
set(CPACK_PACKAGE_VENDOR "ruvodraw1024")
set(CPACK_PACKAGE_CONTACT "ruvodraw1024 maintainers <ruvodraw1024@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "1024 x 768 16-bit software renderer: layers, run-length sprites, tiles, text")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  # ruvodraw1024-VERSION-win32.zip / -win64.zip: DLL, import library, .def,
  # header, CMake package. What is installed is the DLL alone, so packaging
  # does not first build everything (the cross-built tests).
  set(CPACK_GENERATOR ZIP)
  set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION libdevel)
  # Dependencies from the binaries: libc for the library, the image and font
  # libraries for ruvo-pack.
  find_program(RUVO_DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(RUVO_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  endif()
endif()
include(CPack)
