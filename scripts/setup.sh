#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Veltra need, and nothing
# when they are all present. Run as root on Debian 12 (the Makefile calls it).
set -euo pipefail

packages=(
  build-essential cmake pkg-config python3
  qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins qt6-translations-l10n
  libqt6svg6 qt6-qpa-plugins
  zlib1g-dev libjpeg62-turbo-dev libtiff-dev libpng-dev libwebp-dev
  # HEIF and AVIF: libheif's headers (the library is opened when a file needs it), and the
  # encoders that make the test pictures and the benchmark's files.
  libheif-dev libheif-examples libavif-bin
  # JPEG XL and JPEG 2000, opened when a file needs them; Brotli for JPEG XL's packed metadata.
  libjxl-dev libopenjp2-7-dev libbrotli-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-wqy-microhei
  # Oracles and tools the tests and scripts use.
  exiv2 libimage-exiftool-perl imagemagick xvfb xauth x11-utils
  libjpeg-turbo-progs libjxl-tools libopenjp2-tools
  # Camera raws: LibRaw (opened when a raw needs it), and its own tools, which the tests and
  # the benchmark compare with.
  libraw-dev libraw-bin
  clang libclang-rt-14-dev
  # Validators and viewers of the installed desktop entry, metainfo, icons and manual pages.
  desktop-file-utils appstream man-db groff-base librsvg2-bin
  # Making and checking the Debian package: dpkg-shlibdeps, dpkg-architecture and
  # dpkg-parsechangelog; file, which CPack runs to find the programs; lintian.
  dpkg-dev file lintian
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
