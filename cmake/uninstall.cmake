# The uninstall step: cmake -DVELTRA_BUILD_DIR=<build tree> -P uninstall.cmake
#
# Removes every file in the build tree's install manifest, then every directory the install
# created that is now empty, deepest first, all under $ENV{DESTDIR} as the install was.
# Nothing that the install did not write is touched.

cmake_minimum_required(VERSION 3.25)

set(manifest "${VELTRA_BUILD_DIR}/install_manifest.txt")
set(record "${VELTRA_BUILD_DIR}/install_created_directories.txt")
if(NOT EXISTS "${manifest}")
  message(STATUS "Nothing to uninstall: no install from ${VELTRA_BUILD_DIR} is recorded.")
  return()
endif()

file(STRINGS "${manifest}" installed_files)
foreach(file IN LISTS installed_files)
  set(path "$ENV{DESTDIR}${file}")
  # A symbolic link is removed as a file, even when what it points to has gone.
  if(EXISTS "${path}" OR IS_SYMLINK "${path}")
    if(IS_DIRECTORY "${path}" AND NOT IS_SYMLINK "${path}")
      message(FATAL_ERROR "The manifest lists a directory, not a file: ${path}")
    endif()
    message(STATUS "Removing: ${path}")
    file(REMOVE "${path}")
    if(EXISTS "${path}" OR IS_SYMLINK "${path}")
      message(FATAL_ERROR "Could not remove ${path}")
    endif()
  else()
    message(STATUS "Already gone: ${path}")
  endif()
endforeach()

set(created_directories "")
if(EXISTS "${record}")
  file(STRINGS "${record}" created_directories)
endif()
# Deepest first: a path sorts after each of its parents, so the reversed order has children
# before their parents.
list(SORT created_directories)
list(REVERSE created_directories)
foreach(directory IN LISTS created_directories)
  set(path "$ENV{DESTDIR}${directory}")
  if(NOT IS_DIRECTORY "${path}" OR IS_SYMLINK "${path}")
    continue()
  endif()
  # rmdir removes a directory only when it is empty, which is the one case wanted here.
  execute_process(COMMAND rmdir -- "${path}" RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
  if(status EQUAL 0)
    message(STATUS "Removed directory: ${path}")
  else()
    message(STATUS "Keeping, not empty: ${path}")
  endif()
endforeach()

file(REMOVE "${manifest}" "${record}")
