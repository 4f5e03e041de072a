# Read by cpack for each package it makes, after CPackConfig.cmake and any -D on its command
# line. The dependencies on the libraries loaded at run time are computed here, when the
# package is made, rather than when the project is configured: building needs no package
# database, only packaging does.

if(CPACK_GENERATOR STREQUAL "DEB" AND CPACK_VELTRA_DLOPENED_LIBRARIES)
  include(${CMAKE_CURRENT_LIST_DIR}/debian_library_depends.cmake)
  veltra_debian_depends_of_libraries(dlopened_depends ${CPACK_VELTRA_DLOPENED_LIBRARIES})
  # CPack adds what dpkg-shlibdeps finds after these.
  list(JOIN dlopened_depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
endif()
