#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the program need.
# Runs apt-get only when something is missing, so repeated runs are quick.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-qpa-plugins
  libgtest-dev googletest
  # io_uring for batched file reads
  liburing-dev
  clang-tidy
  fonts-liberation fonts-dejavu-core
  # interop oracles and test helpers
  id3v2 eyed3 python3-mutagen mp3info lame sox poppler-utils
  # a private print service (cupsd, lpstat, pdftopdf) for the print command's printer test
  cups
  # building and checking the Debian package
  file man-db lintian appstream
  # running the window under a virtual display
  xvfb xauth xdg-utils desktop-file-utils
  # Qt's own dialog and button texts (qtbase_de.qm) for the German window
  qt6-translations-l10n
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
