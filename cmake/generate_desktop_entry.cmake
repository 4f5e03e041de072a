# Writes the desktop entry from its template at build time:
#   cmake -DPRINT_MIME_TYPES=<tool> -DTEMPLATE=<in> -DOUTPUT=<out> -DVELTRA_APP_ID=<id>
#         -P generate_desktop_entry.cmake
# The MimeType key lists what the imaging service decodes, as the tool prints it, so the
# entry never offers a file type that Veltra cannot show.
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND "${PRINT_MIME_TYPES}"
  OUTPUT_VARIABLE VELTRA_MIME_TYPES OUTPUT_STRIP_TRAILING_WHITESPACE
  RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR VELTRA_MIME_TYPES STREQUAL "")
  message(FATAL_ERROR "${PRINT_MIME_TYPES} printed no MIME types (status ${status})")
endif()
if(NOT VELTRA_MIME_TYPES MATCHES "^[-+.a-z0-9]+/[-+.a-zA-Z0-9]+(;[-+.a-z0-9]+/[-+.a-zA-Z0-9]+)*$")
  message(FATAL_ERROR "${PRINT_MIME_TYPES} printed something other than MIME types: ${VELTRA_MIME_TYPES}")
endif()
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
