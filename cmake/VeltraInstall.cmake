# Install rules that remember which directories they create, and the uninstall step.
#
# CMake's install manifest lists the files an install wrote but not the directories it had
# to create for them. Uninstalling removes the listed files and then those created
# directories that are left empty, and nothing else: a directory that existed before the
# install stays, even when it ends up empty.

# Every install rule belongs to this component, the one the Debian package is made of.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME veltra)

# Before any file is installed, the install script learns how to note created directories.
# The record is named as CMake names the manifest: an install of one component (as CPack's
# staging install for the package is) keeps its own and leaves the whole install's record,
# which uninstalling reads, alone.
install(CODE "
if(CMAKE_INSTALL_COMPONENT)
  set(VELTRA_CREATED_DIRECTORIES_RECORD
      \"${CMAKE_BINARY_DIR}/install_created_directories_\${CMAKE_INSTALL_COMPONENT}.txt\")
else()
  set(VELTRA_CREATED_DIRECTORIES_RECORD \"${CMAKE_BINARY_DIR}/install_created_directories.txt\")
endif()
include(\"${CMAKE_CURRENT_LIST_DIR}/install_created_directories.cmake\")
")

# install() with the same arguments, after noting which directories on the way to each
# DESTINATION do not exist yet.
function(veltra_install)
  set(next_is_destination FALSE)
  foreach(argument IN LISTS ARGN)
    if(next_is_destination)
      install(CODE "veltra_note_created_directories(\"${argument}\")")
      set(next_is_destination FALSE)
    elseif(argument STREQUAL "DESTINATION")
      set(next_is_destination TRUE)
    endif()
  endforeach()
  install(${ARGN})
endfunction()

# Removes what the last install from this build tree wrote, under the same DESTDIR.
add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -DVELTRA_BUILD_DIR=${CMAKE_BINARY_DIR}
          -P ${CMAKE_CURRENT_LIST_DIR}/uninstall.cmake
  COMMENT "Removing the installed files"
  VERBATIM)
