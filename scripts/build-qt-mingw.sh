#!/usr/bin/env bash
# Cross-builds, from Debian's own source packages, what the Windows window needs:
# Qt 6.4.2 (qtbase Core/Gui/Widgets/Test with the windows and offscreen platform
# plugins and Qt's bundled image, font and regex libraries; qtimageformats'
# TGA, TIFF and WebP plugins with their bundled libtiff and libwebp) and libsquish,
# all static, for x86_64-w64-mingw32 (POSIX threads). Host tools (moc, rcc, uic)
# come from Debian's qt6-base-dev-tools.
#
# The result goes into ${XDG_CACHE_HOME:-~/.cache}/tessarin/qt-6.4.2-mingw-HASH,
# HASH naming this script, so that every checkout on the machine shares it; it is
# complete once its ".complete" file exists. Sources and build folders stay in
# .../qt-6.4.2-mingw-work, so a build cut short carries on where it stopped.
#
#   build-qt-mingw.sh           builds unless already built, then prints the folder
#   build-qt-mingw.sh --prefix  only prints the folder
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
hash=$(sha256sum "${BASH_SOURCE[0]}" | cut -c1-10)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/tessarin
prefix=$cache/qt-6.4.2-mingw-$hash
work=$cache/qt-6.4.2-mingw-work

if [ "${1:-}" = "--prefix" ]; then echo "$prefix"; exit 0; fi
[ -f "$prefix/.complete" ] && { echo "$prefix"; exit 0; }

# The machine is shared: the whole build runs at the lowest priority.
renice -n 19 $$ >/dev/null 2>&1 || true
mkdir -p "$work"
# One build at a time: a second caller waits for the first and then finds it done.
exec 9>"$work/lock"
flock 9
[ -f "$prefix/.complete" ] && { echo "$prefix"; exit 0; }

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
JOBS=${TESSARIN_QT_JOBS:-2}
started=$(date +%s)
log() { echo "build-qt-mingw: $* ($(( ($(date +%s) - started) / 60 )) min)" >&2; }

bash "$here/install-deps.sh" windows

# Source packages come from the archive the binary ones come from.
enable_sources() {
  if apt-cache showsrc qt6-base 2>/dev/null | grep -q '^Version: 6\.4\.2'; then return; fi
  local uri
  uri=$(awk '/^URIs:/ { print $2; exit }' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
  uri=${uri:-http://deb.debian.org/debian}
  log "enabling the source packages of $uri"
  printf 'Types: deb-src\nURIs: %s\nSuites: bookworm\nComponents: main\nSigned-By: %s\n' \
    "$uri" /usr/share/keyrings/debian-archive-keyring.gpg |
    $SUDO tee /etc/apt/sources.list.d/tessarin-deb-src.sources >/dev/null
  $SUDO apt-get update -qq
}

# fetch PACKAGE VERSION-GLOB: unpacks the source once into $work/src, prints its folder.
fetch() {
  local dir
  dir=$(find "$work/src" -maxdepth 1 -type d -name "$1-$2*" 2>/dev/null | head -1)
  if [ -z "$dir" ]; then
    log "fetching the source of $1"
    (cd "$work/src" && apt-get source -qq "$1" >/dev/null 2>&1) || { echo "apt-get source $1 failed" >&2; exit 1; }
    dir=$(find "$work/src" -maxdepth 1 -type d -name "$1-$2*" | head -1)
  fi
  [ -n "$dir" ] || { echo "no source folder for $1 $2 in $work/src" >&2; exit 1; }
  echo "$dir"
}

mkdir -p "$work/src"
enable_sources
qtbase=$(fetch qt6-base 6.4.2)
qtimageformats=$(fetch qt6-imageformats 6.4.2)
squish=$(fetch libsquish 1.15)

# At a path that stays: build folders, and Qt's own toolchain file, refer to it.
mkdir -p "$prefix"
toolchain=$work/mingw-w64-toolchain.cmake
cat >"$toolchain" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF

# build NAME SOURCE CMAKE-OPTIONS...: configures, builds and installs into $prefix.
build() {
  local name=$1 src=$2
  shift 2
  log "configuring $name"
  cmake -S "$src" -B "$work/build-$name" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >"$work/configure-$name.log" 2>&1 ||
    { tail -40 "$work/configure-$name.log" >&2; exit 1; }
  log "building $name ($(ninja -C "$work/build-$name" -n 2>/dev/null | grep -c '^\[') steps)"
  ninja -C "$work/build-$name" -j"$JOBS" >"$work/build-$name.log" 2>&1 ||
    { grep -B2 -A20 -m3 'error' "$work/build-$name.log" >&2 || tail -40 "$work/build-$name.log" >&2; exit 1; }
  ninja -C "$work/build-$name" install >"$work/install-$name.log" 2>&1 ||
    { tail -40 "$work/install-$name.log" >&2; exit 1; }
}

build squish "$squish" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DBUILD_SHARED_LIBS=OFF \
  -DBUILD_SQUISH_WITH_OPENMP=OFF -DBUILD_SQUISH_EXTRA=OFF

build qtbase "$qtbase" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DBUILD_SHARED_LIBS=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF \
  -DFEATURE_vulkan=OFF -DFEATURE_direct2d1_1=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF \
  -DFEATURE_xml=OFF -DFEATURE_testlib=ON -DFEATURE_icu=OFF -DFEATURE_tabletevent=OFF \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
  -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF

qt_toolchain=$prefix/lib/cmake/Qt6/qt.toolchain.cmake
build qtimageformats "$qtimageformats" -DCMAKE_TOOLCHAIN_FILE="$qt_toolchain" \
  -DFEATURE_tiff=ON -DFEATURE_webp=ON -DFEATURE_system_tiff=OFF -DFEATURE_system_webp=OFF \
  -DFEATURE_jasper=OFF -DFEATURE_mng=OFF

# The licences of everything that ends up in the executables: each source's own
# licence files, Debian's copyright summary, and every bundled library's
# attribution and licence files (licences/NAME/relative/folder/...).
copy_licences() {
  local name=$1 src=$2 dest=$prefix/licences/$1 f dir
  mkdir -p "$dest"
  cp "$src/debian/copyright" "$dest/debian-copyright.txt"
  find "$src" -maxdepth 1 -type f \( -iname 'LICENSE*' -o -iname 'COPYING*' \) -exec cp {} "$dest/" \;
  [ -d "$src/LICENSES" ] && cp -r "$src/LICENSES" "$dest/"
  while IFS= read -r f; do
    dir=$(dirname "${f#"$src"/}")
    mkdir -p "$dest/$dir"
    cp "$f" "$dest/$dir/"
    # The files an attribution names as the licence.
    { grep '"LicenseFile' "$f" || true; } | sed 's/^[^:]*://' | { grep -o '"[^"]*"' || true; } | tr -d '"' |
      while IFS= read -r licence; do
        if [ -f "$(dirname "$f")/$licence" ]; then cp "$(dirname "$f")/$licence" "$dest/$dir/"; fi
      done
  done < <(find "$src/src" -name qt_attribution.json 2>/dev/null)
  for dir in "$src"/src/3rdparty/*/; do
    [ -d "$dir" ] || continue
    find "$dir" -maxdepth 2 -type f \( -iname '*LICENSE*' -o -iname '*LICENCE*' -o -iname 'COPYING*' -o -iname 'COPYRIGHT*' \
      -o -iname 'README.ijg' \) | while IFS= read -r f; do
      mkdir -p "$dest/$(dirname "${f#"$src"/}")"
      cp "$f" "$dest/${f#"$src"/}"
    done
  done
}
rm -rf "$prefix/licences"
copy_licences qtbase "$qtbase"
copy_licences qtimageformats "$qtimageformats"
copy_licences libsquish "$squish"

minutes=$(( ($(date +%s) - started) / 60 ))
echo "Built on $(date -u '+%F %H:%M UTC') in $minutes minutes with $JOBS jobs" >"$prefix/build-info.txt"
touch "$prefix/.complete"
log "done: $prefix"
echo "$prefix"
