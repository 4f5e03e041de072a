# Sourced by the tests that install the build tree into scratch folders.
#
# The build tree keeps the record of its last install (what `make uninstall` removes); a test
# that installs from it would overwrite it. set_install_records_aside BUILD_DIR KEEP_DIR moves
# the record into KEEP_DIR, and restore_install_records BUILD_DIR KEEP_DIR puts it back, so a
# real install made from this tree keeps its record once the test is over.

install_records=(install_manifest.txt install_created_directories.txt)

set_install_records_aside() {
  local record
  for record in "${install_records[@]}"; do
    if [ -e "$1/$record" ]; then mv "$1/$record" "$2/$record.saved"; fi
  done
}

restore_install_records() {
  local record
  for record in "${install_records[@]}"; do
    rm -f "$1/$record"
    if [ -e "$2/$record.saved" ]; then mv "$2/$record.saved" "$1/$record"; fi
  done
}
