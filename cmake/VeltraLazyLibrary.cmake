# Codec libraries that the imaging service opens with dlopen when a file first needs them.
#
#   veltra_lazy_library(TARGET PKG_MODULE LIBRARY_NAME DEFINE)
#
# finds the library with pkg-config, gives TARGET its headers (not its link), reads the soname
# of the library found and passes it to TARGET as the string DEFINE, so that the program opens
# exactly the library it was compiled against. Each library's path goes into the global
# property VELTRA_DLOPENED_LIBRARIES, which packaging turns into dependencies, since nothing
# links these libraries for the package tools to see.
find_package(PkgConfig REQUIRED)

function(veltra_lazy_library target module library define)
  pkg_check_modules(lazy_${library} REQUIRED ${module})
  find_library(lazy_${library}_file NAMES ${library}
               HINTS ${lazy_${library}_LIBRARY_DIRS} NO_CACHE REQUIRED)
  execute_process(COMMAND ${CMAKE_OBJDUMP} -p ${lazy_${library}_file}
                  OUTPUT_VARIABLE headers RESULT_VARIABLE failed)
  string(REGEX MATCH "SONAME +([^\n ]+)" found "${headers}")
  if(failed OR NOT found)
    message(FATAL_ERROR "cannot read the soname of ${lazy_${library}_file}")
  endif()
  set(soname ${CMAKE_MATCH_1})
  target_include_directories(${target} PRIVATE ${lazy_${library}_INCLUDE_DIRS})
  target_compile_definitions(${target} PRIVATE ${define}="${soname}")
  get_filename_component(directory ${lazy_${library}_file} DIRECTORY)
  set_property(GLOBAL APPEND PROPERTY VELTRA_DLOPENED_LIBRARIES ${directory}/${soname})
  message(STATUS "${module}: opened when needed as ${soname}")
endfunction()
