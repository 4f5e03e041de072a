#!/usr/bin/env bash
# The package's dependencies on libraries loaded at run time, computed as cpack computes them
# (cmake/package_options.cmake) for libraries that every build machine has: libtiff, and libc,
# which the package database records under /lib although Debian 12 keeps it in /usr/lib.
#
#   dlopened_depends_test.sh PACKAGE_OPTIONS
set -euo pipefail

package_options=$1
if ! command -v dpkg-query > /dev/null; then
  echo "SKIPPED: dpkg-query is not installed: not a Debian system"
  exit 77
fi

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cat > "$scratch/print_depends.cmake" <<EOF
include("$package_options")
message("\${CPACK_DEBIAN_PACKAGE_DEPENDS}")
EOF
# The Depends entries cpack would add for the given libraries (a ;-list), on one line.
depends_of() {
  cmake -DCPACK_GENERATOR=DEB "-DCPACK_VELTRA_DLOPENED_LIBRARIES=$1" -P "$scratch/print_depends.cmake" 2>&1
}

libdir=$(pkg-config --variable=libdir libtiff-4)
tiff_soname=$(objdump -p "$libdir/libtiff.so" | awk '$1 == "SONAME" { print $2 }')
tiff=$libdir/$tiff_soname
tiff_file=$(realpath "$tiff")
libc=$libdir/libc.so.6

# What each relation should be: the owner of the real file, as the package database has it,
# at the installed version less its Debian revision.
relation_for() {
  local package version
  package=$(dpkg-query --search "$1" | awk -F': ' 'NR == 1 { sub(/:[^:]*$/, "", $1); print $1 }')
  version=$(dpkg-query --show --showformat='${Version}' "$package")
  echo "$package (>= ${version%-*})"
}
tiff_relation=$(relation_for "$tiff_file")
libc_relation=$(relation_for "/lib/${libc#/usr/lib/}")

# The soname link, the real file, the development link (owned by libtiff-dev) and the /lib
# spelling of the same library give one relation; another library adds its own, in order.
rows=(
  "$tiff|$tiff_relation"
  "$libdir/libtiff.so|$tiff_relation"
  "$tiff_file|$tiff_relation"
  "/lib/${tiff#/usr/lib/}|$tiff_relation"
  "$tiff;$tiff_file|$tiff_relation"
  "$tiff;$libc|$tiff_relation, $libc_relation"
  "|"
)
for row in "${rows[@]}"; do
  libraries=${row%%|*} expected=${row#*|}
  actual=$(depends_of "$libraries") || { fail "[$libraries]: $actual"; continue; }
  [ "$actual" = "$expected" ] || fail "[$libraries] gives [$actual], not [$expected]"
done

# A library no package owns stops the packaging, naming the library.
if output=$(depends_of "$scratch/libmissing.so.1"); then
  fail "a library no package owns gave [$output]"
else
  grep -qF "$scratch/libmissing.so.1" <<< "$output" || fail "the error does not name the library: $output"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "Depends on loaded libraries: all checks passed"
