#!/usr/bin/env bash
# Installs the Debian package `make package` made, as a user would (apt-get
# install ./FILE.deb), checks that the installed companion lists the demo
# archive with the type table's names, that the window answers --version
# without a display and that .arc files have their MIME type, then removes
# the package and checks that nothing of it is left.
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(ls -t build/tessarin_*.deb | head -1)
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
fail() { echo "ci-install-package: $*" >&2; exit 1; }

DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "./$deb" >/dev/null
files=$(dpkg -L tessarin | while read -r f; do [ -d "$f" ] || echo "$f"; done)
# The installed companion, found on PATH, reads ExtType.Dll beside its real
# executable: the demo's type codes 1A and 20 come out as png and txt.
listing=$(cd /tmp && tessarin-cli list "$OLDPWD/build/demo/demo.arc") || fail "tessarin-cli list failed"
grep -qP '\t[^\t]+\.png\t' <<<"$listing" || fail "no png names in the listing:
$listing"
grep -qP '\t[^\t]+\.txt\t' <<<"$listing" || fail "no txt names in the listing"
[ "$(tessarin-cli --version)" = "tessarin-cli $(dpkg-deb -f "$deb" Version)" ] || fail "--version differs from the package"
# The window answers --version without a display.
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY tessarin --version)" = "tessarin $(dpkg-deb -f "$deb" Version)" ] ||
  fail "tessarin --version failed without a display"
# The system's MIME database (rebuilt by shared-mime-info's trigger, where installed) knows .arc files.
if command -v update-mime-database >/dev/null; then
  grep -q '^application/x-tessarin-arc:\*\.arc$' /usr/share/mime/globs || fail "the MIME type of ARC archives is not registered"
fi
man -w tessarin-cli >/dev/null || fail "man tessarin-cli not found"

DEBIAN_FRONTEND=noninteractive $SUDO apt-get remove -y -qq tessarin >/dev/null
while read -r f; do
  if [ -n "$f" ] && { [ -e "$f" ] || [ -L "$f" ]; }; then fail "left behind: $f"; fi
done <<<"$files"
[ ! -e /usr/lib/tessarin ] || fail "left behind: /usr/lib/tessarin"
echo "ci-install-package: installed, listed the demo archive with type names, removed cleanly"
