#!/usr/bin/env bash
# Checks a package made by `make package` (a .deb) or `make package-windows`
# (a .zip): exactly the expected files, links that lead to files of the
# package, a valid desktop entry and AppStream metadata, the MIME type the
# desktop entry names, dependencies, and lintian (when installed) with
# nothing to say but the placeholder maintainer address.
set -euo pipefail
package=$1
fail() { echo "check-package: $*" >&2; exit 1; }

case $package in
*.deb)
  expected="./usr/bin/tessarin -> ../lib/tessarin/tessarin
./usr/bin/tessarin-cli -> ../lib/tessarin/tessarin-cli
./usr/lib/tessarin/ExtType.Dll
./usr/lib/tessarin/tessarin
./usr/lib/tessarin/tessarin-cli
./usr/share/applications/tessarin.desktop
./usr/share/bash-completion/completions/tessarin-cli
./usr/share/doc/tessarin/changelog.gz
./usr/share/doc/tessarin/copyright
./usr/share/icons/hicolor/scalable/apps/tessarin.svg
./usr/share/man/man1/tessarin-cli.1.gz
./usr/share/man/man1/tessarin.1.gz
./usr/share/metainfo/io.github.tessarin.Tessarin.metainfo.xml
./usr/share/mime/packages/tessarin.xml"
  # Files and links (folders left out): the sixth column on is the name.
  listed=$(dpkg-deb -c "$package" | grep -v '^d' | awk '{ $1=$2=$3=$4=$5=""; sub(/^ +/, ""); print }' | sort)
  [ "$listed" = "$expected" ] || fail "files differ from the expected list:
$(diff <(echo "$expected") <(echo "$listed") || true)"

  depends=$(dpkg-deb -f "$package" Depends)
  for library in libqt6widgets6 libqt6svg6 zlib1g libdeflate0 libc6 qt6-translations-l10n \
                 "fonts-noto-cjk | fonts-wqy-microhei | fonts-wqy-zenhei"; do
    [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
  done
  [[ $(dpkg-deb -f "$package" Recommends) == *qt6-image-formats-plugins* ]] || fail "Recommends lacks the image plugins"

  tree=$(mktemp -d)
  trap 'rm -rf "$tree"' EXIT
  dpkg-deb -x "$package" "$tree"
  for link in tessarin tessarin-cli; do
    [ -x "$tree/usr/bin/$(readlink "$tree/usr/bin/$link")" ] || fail "/usr/bin/$link leads nowhere"
  done
  desktop-file-validate "$tree/usr/share/applications/tessarin.desktop" || fail "desktop entry not valid"
  mime=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$tree/usr/share/mime/packages/tessarin.xml")
  grep -qx "MimeType=$mime;" "$tree/usr/share/applications/tessarin.desktop" || fail "desktop entry does not name $mime"
  if command -v lintian >/dev/null; then
    # The maintainer address is the project's placeholder; nothing else may be said.
    said=$(lintian --tag-display-limit 0 "$package" 2>&1 | grep -e '^E:' -e '^W:' | grep -v -e 'tessarin@localhost' || true)
    [ -z "$said" ] || fail "lintian: $said"
  fi
  appstreamcli validate --no-net "$tree/usr/share/metainfo/io.github.tessarin.Tessarin.metainfo.xml" >/dev/null ||
    fail "AppStream metadata not valid"
  for page in tessarin tessarin-cli; do
    [ -n "$(man -l "$tree/usr/share/man/man1/$page.1.gz" 2>/dev/null | head -1)" ] || fail "man page $page not readable"
  done
  ;;
*.zip)
  all=$(cmake -E tar tf "$package" | sed 's|^[^/]*/||' | grep -v '/$' | sort)
  # The licence folders gathered from the Qt build are checked below.
  listed=$(echo "$all" | grep -v -E '^licences/(qtbase|qtimageformats|libsquish)/' || true)
  expected="ExtType.Dll
LICENSE
licences/CLI11.txt
licences/gcc-runtime.txt
licences/mingw-w64-runtime.txt
licences/nlohmann-json.txt
licences/zlib.txt
tessarin-cli.exe
tessarin.exe
说明.txt"
  [ "$listed" = "$expected" ] || fail "files differ from the expected list:
$(diff <(echo "$expected") <(echo "$listed") || true)"

  for licence in qtbase/LICENSES/LGPL-3.0-only.txt libsquish/LICENSE.txt; do
    grep -q "^licences/$licence\$" <<<"$all" || fail "licences/$licence missing"
  done
  for bundled in qtbase/src/3rdparty/libpng qtbase/src/3rdparty/libjpeg qtbase/src/3rdparty/freetype \
                 qtbase/src/3rdparty/harfbuzz-ng qtbase/src/3rdparty/pcre2 qtbase/src/3rdparty/zlib \
                 qtimageformats/src/3rdparty/libtiff qtimageformats/src/3rdparty/libwebp; do
    grep -q "^licences/$bundled/.*qt_attribution.json\$" <<<"$all" || fail "no licence of $bundled"
  done

  tree=$(mktemp -d)
  trap 'rm -rf "$tree"' EXIT
  archive=$(realpath "$package")
  (cd "$tree" && cmake -E tar xf "$archive")
  note=$(find "$tree" -maxdepth 2 -name '说明.txt')
  [ "$(head -c 3 "$note" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "说明.txt does not begin with a UTF-8 BOM"
  [ "$(grep -c $'\r$' "$note")" = "$(wc -l <"$note")" ] || fail "说明.txt has lines not ending in CR LF"
  grep -q 'GNU GENERAL PUBLIC LICENSE' "$(find "$tree" -maxdepth 2 -name LICENSE)" || fail "LICENSE is not the GPL"
  ;;
*) fail "not a .deb or .zip: $package" ;;
esac
echo "check-package: $package is complete"
