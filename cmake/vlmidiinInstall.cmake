# Installation and packaging: the shared library with its SONAME, the public header, the vlmidi
# host, a pkg-config file and a CMake package (find_package(vlmidiin) gives vlmidiin::vlmidiin).
# Included from the top CMakeLists.txt once the targets exist.

include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(VLMIDIIN_CMAKE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/vlmidiin)

# The installed vlmidi finds the library beside it, wherever the tree is moved to.
file(RELATIVE_PATH VLMIDIIN_BIN_TO_LIB
     /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${CMAKE_INSTALL_LIBDIR})
set_target_properties(vlmidi PROPERTIES INSTALL_RPATH "$ORIGIN/${VLMIDIIN_BIN_TO_LIB}")

install(TARGETS vlmidiin EXPORT vlmidiinTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/vlmidiin.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS vlmidi RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(EXPORT vlmidiinTargets NAMESPACE vlmidiin:: DESTINATION ${VLMIDIIN_CMAKE_PACKAGE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/vlmidiinConfig.cmake.in
  ${PROJECT_BINARY_DIR}/vlmidiinConfig.cmake
  INSTALL_DESTINATION ${VLMIDIIN_CMAKE_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/vlmidiinConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/vlmidiinConfig.cmake
              ${PROJECT_BINARY_DIR}/vlmidiinConfigVersion.cmake
        DESTINATION ${VLMIDIIN_CMAKE_PACKAGE_DIR})

# The pkg-config file finds the prefix from its own place, so `cmake --install --prefix` works.
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}" OR IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
  set(VLMIDIIN_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
  set(VLMIDIIN_PC_LIBDIR "${CMAKE_INSTALL_FULL_LIBDIR}")
  set(VLMIDIIN_PC_INCLUDEDIR "${CMAKE_INSTALL_FULL_INCLUDEDIR}")
else()
  file(RELATIVE_PATH VLMIDIIN_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
  string(REGEX REPLACE "/$" "" VLMIDIIN_PC_TO_PREFIX "${VLMIDIIN_PC_TO_PREFIX}")
  set(VLMIDIIN_PC_PREFIX "\${pcfiledir}/${VLMIDIIN_PC_TO_PREFIX}")
  set(VLMIDIIN_PC_LIBDIR "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
  set(VLMIDIIN_PC_INCLUDEDIR "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/vlmidiin.pc.in ${PROJECT_BINARY_DIR}/vlmidiin.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/vlmidiin.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
