cmake_policy(VERSION 3.25)

# Runs inside the install script. The record holds, one a line and without DESTDIR (as in
# the install manifest), each directory that an install from this build tree created.

# A reinstall finds the directories of the earlier install already there; they are still the
# install's own, so the entries that still exist are kept.
set(_veltra_kept "")
if(EXISTS "${VELTRA_CREATED_DIRECTORIES_RECORD}")
  file(STRINGS "${VELTRA_CREATED_DIRECTORIES_RECORD}" _veltra_recorded)
  foreach(_veltra_directory IN LISTS _veltra_recorded)
    if(IS_DIRECTORY "$ENV{DESTDIR}${_veltra_directory}")
      string(APPEND _veltra_kept "${_veltra_directory}\n")
    endif()
  endforeach()
endif()
file(WRITE "${VELTRA_CREATED_DIRECTORIES_RECORD}" "${_veltra_kept}")

function(veltra_note_created_directories destination)
  if(IS_ABSOLUTE "${destination}")
    set(directory "${destination}")
  else()
    set(directory "${CMAKE_INSTALL_PREFIX}/${destination}")
  endif()
  cmake_path(NORMAL_PATH directory)
  string(REGEX REPLACE "(.)/+$" "\\1" directory "${directory}")
  file(STRINGS "${VELTRA_CREATED_DIRECTORIES_RECORD}" recorded)
  # Walks up to the first directory that exists; the root is never counted as created.
  while(NOT IS_DIRECTORY "$ENV{DESTDIR}${directory}" AND NOT directory STREQUAL "/")
    if(NOT directory IN_LIST recorded)
      file(APPEND "${VELTRA_CREATED_DIRECTORIES_RECORD}" "${directory}\n")
    endif()
    cmake_path(GET directory PARENT_PATH directory)
  endwhile()
endfunction()
