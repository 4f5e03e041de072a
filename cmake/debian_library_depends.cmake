# Debian dependencies on shared libraries that the programs load with dlopen() when a file
# needs them. dpkg-shlibdeps sees only the libraries a program is linked with, so these are
# computed here from the packaging machine's own package database: the package that owns each
# library, at least at the upstream version installed (the one the build was made against).
#
#   veltra_debian_depends_of_libraries(<out-var> <library path>...)
#
# sets <out-var> to a list of relations such as "libheif1 (>= 1.15.1)", one for each package,
# and stops with an error when a library belongs to no package: a package that leaves out a
# library it needs fails only when a user opens such a file.

# The package owning the library at <path>, as dpkg -S names it (with its architecture), or ""
# when none does. The library is looked up by its soname, in the folder of its real file: the
# path may be the soname link, the real file or the development link (libheif.so, owned by
# the -dev package, which users do not install). Debian 12 merged /lib into /usr/lib, but the
# package database still records some libraries (libc among them) under /lib, so each path is
# also tried in the other spelling.
function(_veltra_debian_package_owning path out_var)
  file(REAL_PATH "${path}" resolved)
  execute_process(COMMAND objdump -p "${resolved}"
    OUTPUT_VARIABLE headers RESULT_VARIABLE status ERROR_QUIET)
  if(status EQUAL 0 AND headers MATCHES "\n *SONAME +([^\n ]+)")
    cmake_path(GET resolved PARENT_PATH directory)
    set(candidates "${directory}/${CMAKE_MATCH_1}")
  else()
    set(candidates "${path}" "${resolved}")
  endif()
  foreach(candidate IN LISTS candidates)
    if(candidate MATCHES "^/usr(/lib.*)$")
      list(APPEND candidates "${CMAKE_MATCH_1}")
    elseif(candidate MATCHES "^/lib")
      list(APPEND candidates "/usr${candidate}")
    endif()
  endforeach()
  list(REMOVE_DUPLICATES candidates)

  foreach(candidate IN LISTS candidates)
    execute_process(COMMAND dpkg-query --search "${candidate}"
      OUTPUT_VARIABLE owners RESULT_VARIABLE status ERROR_QUIET)
    if(NOT status EQUAL 0)
      continue()
    endif()
    # One line per match, "package[:arch][, package...]: path"; diversions are reported on
    # lines of their own, which start with "diversion by".
    string(REPLACE "\n" ";" lines "${owners}")
    foreach(line IN LISTS lines)
      if(line MATCHES "^([^ ,:]+(:[a-z0-9]+)?): (.*)$" AND CMAKE_MATCH_3 STREQUAL candidate)
        set(${out_var} "${CMAKE_MATCH_1}" PARENT_SCOPE)
        return()
      endif()
    endforeach()
  endforeach()
  set(${out_var} "" PARENT_SCOPE)
endfunction()

function(veltra_debian_depends_of_libraries out_var)
  set(depends "")
  foreach(library IN LISTS ARGN)
    _veltra_debian_package_owning("${library}" package)
    if(package STREQUAL "")
      message(FATAL_ERROR "No installed Debian package owns ${library}, which the programs "
                          "load at run time: install the package that provides it.")
    endif()
    execute_process(COMMAND dpkg-query --show --showformat=\${Version} "${package}"
      OUTPUT_VARIABLE version RESULT_VARIABLE status ERROR_VARIABLE error)
    if(NOT status EQUAL 0 OR version STREQUAL "")
      message(FATAL_ERROR "Cannot read the installed version of ${package}: ${error}")
    endif()
    # The upstream version (with its epoch, without the Debian revision): a later Debian
    # revision or a security update of the same library serves as well.
    string(REGEX REPLACE "-[^-]*$" "" minimum "${version}")
    # A relation names the package without the architecture dpkg qualifies it with.
    string(REGEX REPLACE ":.*$" "" name "${package}")
    list(APPEND depends "${name} (>= ${minimum})")
  endforeach()
  list(REMOVE_DUPLICATES depends)
  set(${out_var} "${depends}" PARENT_SCOPE)
endfunction()
