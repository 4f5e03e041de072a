#!/usr/bin/env bash
# Makes the Debian package from the built tree as `make package` does, checks it with lintian,
# unpacks it into a scratch root (nothing is installed on the system) and compares it with
# what `make install` puts under /usr, then runs the unpacked veltra-info.
#
#   package_test.sh BUILD_DIR SOURCE_DIR PRINT_MIME_TYPES APP_ID
set -euo pipefail

build=$1 source=$2 print_mime_types=$3 app_id=$4
for tool in lintian dpkg-deb; do
  if ! command -v "$tool" > /dev/null; then
    echo "SKIPPED: $tool is not installed (scripts/setup.sh installs it)"
    exit 77
  fi
done

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

source "$source/tests/install/install_records.sh"
scratch=$(mktemp -d)
set_install_records_aside "$build" "$scratch"
cleanup() {
  restore_install_records "$build" "$scratch"
  rm -rf "$scratch"
}
trap cleanup EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/cpack" > "$scratch/cpack.log" ||
  { cat "$scratch/cpack.log" >&2; exit 1; }
packages=("$scratch"/cpack/*.deb)
[ ${#packages[@]} -eq 1 ] || { echo "FAIL: cpack made ${#packages[@]} packages" >&2; exit 1; }
deb=${packages[0]}
field() { dpkg-deb --field "$deb" "$1"; }

expected_name=veltra_$(field Version)_$(dpkg --print-architecture).deb
[ "$(basename "$deb")" = "$expected_name" ] || fail "the package is $(basename "$deb"), not $expected_name"
[ "$(field Section)" = graphics ] || fail "the section is $(field Section)"
grep -qw qt6-wayland <<< "$(field Recommends)" || fail "qt6-wayland is not recommended"

# lintian: no error and no warning; what the package overrides, it explains in a comment.
lintian --display-level '>=info' "$deb" > "$scratch/lintian.txt" 2>&1 || true
if grep -E '^[EW]: ' "$scratch/lintian.txt"; then fail "lintian reports errors or warnings"; fi

root=$scratch/root
dpkg-deb --extract "$deb" "$root"
overrides=$root/usr/share/lintian/overrides/veltra
if [ -f "$overrides" ]; then
  awk '/^#/ { explained = 1; next } /^[^[:space:]]/ && !explained { print; bad = 1 }
       /^[[:space:]]*$/ { explained = 0 } END { exit bad }' "$overrides" ||
    fail "lintian overrides without a comment giving the reason"
fi

# Every library the programs are linked with is a dependency, through the package that ships
# it for this architecture.
depends=$(field Depends)
depended=$(tr ',|' '\n\n' <<< "$depends" | sed -E 's/^ *//; s/[ (:].*//')
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
for soname in $(objdump -p "$root/usr/bin/veltra" "$root/usr/bin/veltra-info" \
                 "$root"/usr/lib/*/veltra/*.so |
                awk '$1 == "NEEDED" { print $2 }' | sort -u); do
  owner=$(dpkg-query --search "$multiarch/$soname" 2> /dev/null |
          awk -v tail="/$multiarch/$soname" 'substr($NF, length($NF) - length(tail) + 1) == tail {
            sub(/:.*/, "", $1); print $1; exit }')
  if [ -z "$owner" ]; then
    fail "no package owns $soname"
  elif ! grep -qxF "$owner" <<< "$depended"; then
    fail "$soname comes from $owner, which Depends does not name: $depends"
  fi
done

# The files are those `make install` puts under /usr, manual pages compressed, with Debian's
# copyright, changelog and lintian overrides beside them; the same files, byte for byte.
stage=$scratch/stage
DESTDIR=$stage cmake --install "$build" --prefix /usr > "$scratch/install.log"
listing() { (cd "$1" && find . \( -type f -o -type l \) | LC_ALL=C sort); }
expected=$( {
  listing "$stage" | sed -E 's|^(\./usr/share/man/.*\.[1-9])$|\1.gz|'
  echo ./usr/share/doc/veltra/copyright
  echo ./usr/share/doc/veltra/changelog.Debian.gz
  if [ -f "$source/packaging/debian/lintian-overrides" ]; then
    echo ./usr/share/lintian/overrides/veltra
  fi
} | LC_ALL=C sort)
actual=$(listing "$root")
[ "$expected" = "$actual" ] ||
  fail "the package's files differ from the install's: $(diff <(echo "$expected") <(echo "$actual") || true)"
while read -r path; do
  packaged=$root/${path#./}
  if [[ $path == ./usr/share/man/* ]]; then
    cmp -s <(zcat "$packaged.gz") "$stage/$path" || fail "$path.gz is not the installed page"
  elif [[ $path != ./usr/bin/* && $path != ./usr/lib/*.so ]] && [ -e "$packaged" ]; then
    cmp -s "$packaged" "$stage/$path" || fail "$path differs from the installed file"
  fi
done < <(listing "$stage")

# The desktop entry claims exactly the MIME types the build's decoders read, and HEIF under
# both its names: desktops name the type image/heif or image/heic depending on their
# shared-mime-info.
entry=$root/usr/share/applications/$app_id.desktop
claimed=$(sed -n 's/^MimeType=//p' "$entry" | tr ';' '\n' | sed '/^$/d' | LC_ALL=C sort)
decoded=$("$print_mime_types" | tr ';' '\n' | sed '/^$/d' | LC_ALL=C sort)
[ -n "$claimed" ] && [ "$claimed" = "$decoded" ] ||
  fail "the entry claims [$claimed], the decoders read [$decoded]"
heif_names=$(grep -cxE 'image/hei[cf]' <<< "$claimed" || true)
[ "$heif_names" -ne 1 ] || fail "the entry claims only one of image/heif and image/heic"

# The copyright file carries the project's licence text and the metainfo's own licence; the
# changelog's latest entry is the package's version.
copyright=$root/usr/share/doc/veltra/copyright
words() { tr -s ' \n' ' ' | sed 's/ \. / /g; s/^ //; s/ $//'; }
licence_text=$(sed -n '/^Permission is hereby granted/,$p' "$source/LICENSE" | words)
grep -qF "$licence_text" <(sed 's/^ //' "$copyright" | words) ||
  fail "the copyright file does not carry the text of LICENSE"
metadata_licence=$(sed -n 's:.*<metadata_license>\(.*\)</metadata_license>.*:\1:p' \
  "$root/usr/share/metainfo/$app_id.metainfo.xml")
grep -qx "License: $metadata_licence" "$copyright" ||
  fail "the copyright file does not name the metainfo's licence $metadata_licence"
changelog_version=$(zcat "$root/usr/share/doc/veltra/changelog.Debian.gz" |
                    dpkg-parsechangelog --file - --show-field Version)
[ "$changelog_version" = "$(field Version)" ] ||
  fail "the changelog's latest version is $changelog_version, the package's $(field Version)"

# The unpacked program, stripped, reports a repository picture as the built one does.
picture=$source/tests/camera_files/jpg/gps/DSCN0010.jpg
if report=$("$root/usr/bin/veltra-info" "$picture"); then
  [ "$report" = "$("$build/cli/veltra-info" "$picture")" ] ||
    fail "the packaged veltra-info reports otherwise than the built one"
  grep -qx "尺寸：$(exiftool -s3 -ImageSize "$picture")" <<< "$report" ||
    fail "the packaged veltra-info reports a size other than exiftool's"
else
  fail "the packaged veltra-info fails on $picture"
fi
# A PNG is only read by the decoder, which the program opens from the package as a module.
"$root/usr/bin/veltra-info" --decode "$source/tests/fixtures/png_rgb_8bit.png" > /dev/null ||
  fail "the packaged veltra-info cannot decode a PNG: its pixels' module is not found"

if [ "$failures" -ne 0 ]; then
  echo "lintian said:" >&2
  cat "$scratch/lintian.txt" >&2
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "Debian package $(basename "$deb"): all checks passed"
