#!/usr/bin/env bash
# Builds the Debian package shelfwright_<version>-1_<arch>.deb with CPack and
# checks it: lintian (no errors), desktop-file-validate and appstreamcli
# validate on the files inside the package, and the manual pages render.
#
# Usage: scripts/build-deb.sh [BUILD_DIR]
#   BUILD_DIR: a configured build tree (default: build/default, configured
#   with the `default` preset when missing). The package lands in BUILD_DIR.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/default}"

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset default -G Ninja
fi
cmake --build "$build" -j "$(nproc)"
rm -f "$build"/shelfwright_*.deb
(cd "$build" && cpack -G DEB > cpack.log 2>&1) || { cat "$build/cpack.log"; exit 1; }
deb="$(ls "$build"/shelfwright_*.deb)"
echo "== built $deb ($(stat -c %s "$deb") bytes)"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
dpkg-deb --contents "$deb" | awk '{print $6}'

status=0
check() {
  local name="$1"; shift
  if "$@"; then echo "ok: $name"; else echo "FAILED: $name"; status=1; fi
}

unpacked="$(mktemp -d)"
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb --extract "$deb" "$unpacked"
check "desktop-file-validate" desktop-file-validate "$unpacked/usr/share/applications/shelfwright.desktop"
check "appstreamcli validate" appstreamcli validate --no-net \
  "$unpacked/usr/share/metainfo/org.shelfwright.Shelfwright.metainfo.xml"
for size in 16 22 24 32 48 64 128 256; do
  check "icon ${size}x${size}" test -s "$unpacked/usr/share/icons/hicolor/${size}x${size}/apps/shelfwright.png"
done
for page in shelfwright-cli shelfwright; do
  check "man page $page" bash -c "man -l '$unpacked/usr/share/man/man1/$page.1.gz' 2>/dev/null | grep -q '^NAME'"
done

# lintian: errors fail the build; the warnings and notes are shown. The tags
# that only a package built from a Debian source package can avoid are left
# out (see the README's packaging section for why).
lintian_log="$build/lintian.log"
lintian --no-tag-display-limit --suppress-tags-from-file packaging/lintian-suppressed "$deb" > "$lintian_log" 2>&1 || true
cat "$lintian_log"
if grep -q '^E:' "$lintian_log"; then
  echo "FAILED: lintian reports errors"; status=1
else
  echo "ok: lintian reports no error ($(grep -c '^W:' "$lintian_log" || true) warnings)"
fi
exit "$status"
