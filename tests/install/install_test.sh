#!/usr/bin/env bash
# Installs the built tree into a scratch DESTDIR as a packager would, checks the installed
# files with the desktop's own validators, then runs the uninstall step and checks that it
# took away exactly what the install brought.
#
#   install_test.sh BUILD_DIR UNINSTALL_SCRIPT APP_ID
set -euo pipefail

build=$1 uninstall_script=$2 app_id=$3
prefix=/usr
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

source "$(dirname "$0")/install_records.sh"
scratch=$(mktemp -d)
set_install_records_aside "$build" "$scratch"
restore() {
  restore_install_records "$build" "$scratch"
  rm -rf "$scratch"
}
trap restore EXIT

install_into() { DESTDIR=$1 cmake --install "$build" --prefix "$prefix" > "$scratch/install.log"; }
uninstall_from() {
  DESTDIR=$1 cmake -DVELTRA_BUILD_DIR="$build" -P "$uninstall_script" > "$scratch/uninstall.log"
}
listing() { (cd "$1" && find . -mindepth 1 | LC_ALL=C sort); }

# Round one: an empty DESTDIR, checked file by file.
destdir=$scratch/destdir
mkdir "$destdir"
install_into "$destdir"
root=$destdir$prefix

for program in veltra veltra-info; do
  [ -x "$root/bin/$program" ] || fail "bin/$program is not installed"
done
"$root/bin/veltra-info" --version > /dev/null || fail "the installed veltra-info does not run"
# A PNG is only read by the decoder, which the program opens as a module where it was installed.
"$root/bin/veltra-info" --decode "$(dirname "$0")/../fixtures/png_rgb_8bit.png" > /dev/null ||
  fail "the installed veltra-info cannot decode a PNG: its pixels' module is not found"

entry=$root/share/applications/$app_id.desktop
if [ -f "$entry" ]; then
  # desktop-file-validate prints one line per error, warning or hint; none is accepted.
  report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate failed"
  [ -z "$report" ] || fail "desktop-file-validate: $report"
  grep -qx "Icon=$app_id" "$entry" || fail "the entry's icon is not $app_id"
  grep -qx "Exec=veltra %f" "$entry" || fail "the entry does not start veltra on a file"
else
  fail "share/applications/$app_id.desktop is not installed"
fi

metainfo=$root/share/metainfo/$app_id.metainfo.xml
if [ -f "$metainfo" ]; then
  report=$(appstreamcli validate --no-net --no-color "$metainfo" 2>&1) ||
    fail "appstreamcli validate failed: $report"
  # Errors and warnings are refused; infos and pedantic notes are allowed.
  if grep -E '^[EW]: ' <<< "$report"; then fail "appstreamcli reports errors or warnings"; fi
  grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not launch the installed desktop entry"
else
  fail "share/metainfo/$app_id.metainfo.xml is not installed"
fi

for size in 16 24 32 48 64 72 80 96 128 256; do
  icon=$root/share/icons/hicolor/${size}x${size}/apps/$app_id.png
  if [ -f "$icon" ]; then
    [ "$(identify -format '%m %wx%h' "$icon")" = "PNG ${size}x${size}" ] ||
      fail "$icon is not a ${size}x${size} PNG"
  else
    fail "the ${size}x${size} icon is not installed"
  fi
done
svg=$root/share/icons/hicolor/scalable/apps/$app_id.svg
if [ -f "$svg" ]; then
  # The scalable icon is the same drawing as the PNGs: rendered by another program at 256
  # pixels, it differs from the 256-pixel PNG only along the anti-aliased edges.
  rsvg-convert -w 256 -h 256 "$svg" -o "$scratch/scalable.png"
  difference=$(compare -metric RMSE "$scratch/scalable.png" \
    "$root/share/icons/hicolor/256x256/apps/$app_id.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/') || true
  awk -v d="$difference" 'BEGIN { exit !(d != "" && d < 0.02) }' ||
    fail "the scalable icon differs from the 256-pixel PNG (normalised RMSE $difference)"
else
  fail "the scalable icon is not installed"
fi

for page in man/man1/veltra.1 man/man1/veltra-info.1 \
            man/zh_CN/man1/veltra.1 man/zh_CN/man1/veltra-info.1; do
  path=$root/share/$page
  if [ ! -f "$path" ]; then
    fail "share/$page is not installed"
    continue
  fi
  MANWIDTH=80 man --warnings -l "$path" > "$scratch/page.txt" 2> "$scratch/page.err" ||
    fail "man -l $page failed"
  [ ! -s "$scratch/page.err" ] || fail "man -l $page warns: $(cat "$scratch/page.err")"
  if [[ $page == man/zh_CN/* ]]; then
    sections=(名称 概述 描述 选项 退出状态 文件 示例 参见)
  else
    sections=(NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" FILES EXAMPLES "SEE ALSO")
  fi
  for section in "${sections[@]}"; do
    grep -qx "$section" "$scratch/page.txt" || fail "$page has no section $section"
  done
  # No line of the rendered page runs past the terminal's width (wc -L counts a Chinese
  # character as the two columns it takes).
  width=$(wc -L < "$scratch/page.txt")
  [ "$width" -le 80 ] || fail "$page has lines $width columns wide"
done

uninstall_from "$destdir"
left=$(listing "$destdir")
[ -z "$left" ] || fail "the uninstall left behind: $left"

# Round two: directories that existed before the install, one of them holding another
# program's file, and the install made twice. The uninstall leaves the tree as it found it.
destdir=$scratch/shared
mkdir -p "$destdir$prefix/share/applications" "$destdir$prefix/share/man/man1"
echo "[Desktop Entry]" > "$destdir$prefix/share/applications/other.desktop"
before=$(listing "$destdir")
install_into "$destdir"
install_into "$destdir"
uninstall_from "$destdir"
after=$(listing "$destdir")
[ "$before" = "$after" ] ||
  fail "the uninstall did not restore the tree: $(diff <(echo "$before") <(echo "$after") || true)"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "install and uninstall: all checks passed"
