# Run by cpack on the staging tree, after the project's install and before the package is
# made: adds what Debian asks of every package beyond the installed files.
#   - programs and modules stripped of their symbols and of the sections a program never reads
#     (.comment and .note), as Debian's own packaging tools strip them; a module keeps the
#     symbols it is linked by;
#   - manual pages compressed with gzip (man reads them so, and Debian ships them so);
#   - /usr/share/doc/<package>/copyright, in Debian's machine-readable format;
#   - /usr/share/doc/<package>/changelog.Debian.gz, whose latest entry must be this version;
#   - lintian's overrides, each with its reason, when there are any.
# gzip -n leaves out the name and time stamp, so the same files give the same package.

cmake_minimum_required(VERSION 3.25)

set(root "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(debian "${CPACK_VELTRA_DEBIAN_DIR}")
set(doc "${root}/share/doc/${CPACK_PACKAGE_NAME}")
find_program(GZIP gzip REQUIRED)

function(compress_in_place file)
  execute_process(COMMAND "${GZIP}" -9 -n -f "${file}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip failed on ${file}")
  endif()
endfunction()

find_program(STRIP strip REQUIRED)
file(GLOB programs "${root}/bin/*")
foreach(program IN LISTS programs)
  file(READ "${program}" magic LIMIT 4 HEX)
  if(magic STREQUAL "7f454c46")
    execute_process(COMMAND "${STRIP}" --remove-section=.comment --remove-section=.note
                            "${program}" RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "strip failed on ${program}")
    endif()
  endif()
endforeach()

file(GLOB_RECURSE modules "${root}/lib/*.so")
foreach(module IN LISTS modules)
  execute_process(COMMAND "${STRIP}" --strip-unneeded --remove-section=.comment
                          --remove-section=.note "${module}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "strip failed on ${module}")
  endif()
endforeach()

file(GLOB_RECURSE manual_pages "${root}/share/man/*.[1-9]")
foreach(page IN LISTS manual_pages)
  compress_in_place("${page}")
endforeach()

set(debian_version "${CPACK_PACKAGE_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")
file(STRINGS "${debian}/changelog" latest_entry LIMIT_COUNT 1)
if(NOT latest_entry MATCHES "^${CPACK_PACKAGE_NAME} \\(([^)]+)\\) "
   OR NOT CMAKE_MATCH_1 STREQUAL debian_version)
  message(FATAL_ERROR "The latest entry of ${debian}/changelog is not for version "
                      "${debian_version}: add one for this release.")
endif()
file(MAKE_DIRECTORY "${doc}")
file(COPY_FILE "${debian}/changelog" "${doc}/changelog.Debian")
compress_in_place("${doc}/changelog.Debian")
configure_file("${debian}/copyright.in" "${doc}/copyright" @ONLY)

if(EXISTS "${debian}/lintian-overrides")
  file(MAKE_DIRECTORY "${root}/share/lintian/overrides")
  file(COPY_FILE "${debian}/lintian-overrides" "${root}/share/lintian/overrides/${CPACK_PACKAGE_NAME}")
endif()

# Whatever the umask of the one who packs: files readable by all, folders open to all.
file(GLOB_RECURSE data_files LIST_DIRECTORIES false "${root}/share/*")
foreach(file IN LISTS data_files)
  file(CHMOD "${file}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()
file(GLOB_RECURSE folders LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(folder IN LISTS folders)
  if(IS_DIRECTORY "${folder}" AND NOT IS_SYMLINK "${folder}")
    file(CHMOD "${folder}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                       GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endif()
endforeach()
