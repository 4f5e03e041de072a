# The Debian package, made by CPack from what `make install` installs under /usr, with what a
# Debian package adds: the copyright and changelog in /usr/share/doc/veltra, manual pages
# compressed, programs stripped (cmake/debian_staging.cmake does these in the staging tree).
#
# Included after every folder of the project, so that the libraries the folders load at run
# time are all known.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veltra)
set(CPACK_PACKAGE_CONTACT "The Veltra developers <veltra@users.noreply.github.com>")
set(CPACK_PACKAGE_HOMEPAGE_URL ${VELTRA_HOMEPAGE_URL})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "image inspector that shows what a picture file really is")
# The body of the Description field: short lines, paragraphs apart.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Veltra shows what an image file really is, whatever its name says. It draws
the picture centred on a plain background and writes over it a report: the
real file type, read from the encoded data rather than the name, the pixel
size, the pixel format, the resolution, the orientation, the colour space,
and every TIFF, Exif and GPS property with its tag name and value.

The background colour can be changed, a watermark laid over the picture, and
the composition exported as a JPEG file or printed. The interface is in
Simplified Chinese.

The command veltra-info prints the same report on a terminal, or as JSON, and
can tell what a file hides: data after the picture's end, embedded pictures,
the JPEG quality it was saved at, and where it says it came from.")

set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The install rules' component, named: CPack's staging install then writes its manifest apart
# from the one that `make uninstall` reads (cmake/VeltraInstall.cmake).
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};${CMAKE_INSTALL_DEFAULT_COMPONENT_NAME};/")

set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs are linked with, with the minimum versions their symbols need.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Without it Qt runs through XWayland on a Wayland desktop (Debian's GNOME default).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Libraries the programs load with dlopen() when a file needs them; each folder that loads
# one appends its full path (the soname under /usr/lib/<triplet>) to this global property.
# They become dependencies when the package is made (cmake/package_options.cmake).
get_property(CPACK_VELTRA_DLOPENED_LIBRARIES GLOBAL PROPERTY VELTRA_DLOPENED_LIBRARIES)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/package_options.cmake)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/debian_staging.cmake)
set(CPACK_VELTRA_DEBIAN_DIR ${PROJECT_SOURCE_DIR}/packaging/debian)

include(CPack)
