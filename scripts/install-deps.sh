#!/usr/bin/env bash
# Installs the Debian packages Tessarin needs to build, test and run.
# Only packages that are missing are installed; uses sudo when not root.
set -euo pipefail

packages=(
  g++ cmake ninja-build make
  zlib1g-dev libdeflate-dev libgtest-dev libgmock-dev
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-translations-l10n libgl-dev
  nlohmann-json3-dev libcli11-dev
  fonts-noto-cjk xvfb xauth
)

# "fuzz": only what the fuzzing build needs on top (clang with libFuzzer).
if [ "${1:-}" = "fuzz" ]; then
  packages=(clang)
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
