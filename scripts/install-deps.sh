#!/usr/bin/env bash
# Installs the Debian packages Tessarin needs to build, test and run.
# Only packages that are missing are installed; uses sudo when not root.
# With the argument "windows": what the Windows cross-build and its tests under
# Wine need instead (MinGW-w64, its zlib, GoogleTest's sources, wine64).
set -euo pipefail

packages=(
  g++ cmake ninja-build make
  zlib1g-dev libdeflate-dev libgtest-dev libgmock-dev
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-translations-l10n libgl-dev
  nlohmann-json3-dev libcli11-dev
  libsquish-dev qt6-image-formats-plugins
  fonts-noto-cjk xvfb xauth
  zip unzip
  dpkg-dev desktop-file-utils appstream man-db lintian bash-completion
)
if [ "${1:-}" = "windows" ]; then
  packages=(
    cmake ninja-build make
    g++-mingw-w64-x86-64-posix libz-mingw-w64-dev googletest wine64
    dpkg-dev qt6-base-dev qt6-base-dev-tools qt6-translations-l10n g++ qt6-svg-dev
    xvfb xauth xdotool x11-utils
    nlohmann-json3-dev libcli11-dev
  )
fi

# "fuzz": only what the fuzzing build needs on top (clang with libFuzzer).
if [ "${1:-}" = "fuzz" ]; then
  packages=(clang libclang-rt-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
