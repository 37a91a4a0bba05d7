#!/usr/bin/env bash
# Installs a built Debian package the way a user does (`apt install ./…deb`)
# and checks the installed programs: `shelfwright-cli process` on a copy of
# the bundled example writes its language files and lib.ini, `man
# shelfwright-cli` shows the page, and `shelfwright --version` prints without
# a display. The package is removed again at the end unless it was installed
# before.
#
# This changes the machine's installed packages, so the test command runs it
# only under CI (CI=true); run it by hand on a machine you may change.
#
# Usage: scripts/check-deb-install.sh DEB
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
deb="$(realpath "$1")"

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

was_installed=0
if dpkg-query -W -f='${Status}' shelfwright 2>/dev/null | grep -q "install ok installed"; then
  was_installed=1
fi

work="$(mktemp -d)"
cleanup() {
  rm -rf "$work"
  if [ "$was_installed" = 0 ]; then
    $SUDO apt-get remove -y -qq shelfwright > /dev/null 2>&1 || true
  fi
}
trap cleanup EXIT

echo "== apt install $(basename "$deb")"
# apt reads a local package file through its own sandbox user, which must be
# able to reach the file: install from a copy in a world-readable folder.
cp "$deb" "$work/" && chmod 755 "$work" && chmod 644 "$work/$(basename "$deb")"
$SUDO apt-get install -y -qq "$work/$(basename "$deb")" > "$work/apt.log" 2>&1 || {
  cat "$work/apt.log"; echo "FAILED: apt install"; exit 1; }

status=0
check() {
  local name="$1"; shift
  if "$@"; then echo "ok: $name"; else echo "FAILED: $name"; status=1; fi
}

cli="$(command -v shelfwright-cli || true)"
check "shelfwright-cli is on the PATH as /usr/bin/shelfwright-cli" test "$cli" = /usr/bin/shelfwright-cli

# The example's settings file names its folders relative to
# examples/tinypad and writes to build/example two levels up.
mkdir -p "$work/copy/examples"
cp -r examples/tinypad "$work/copy/examples/"
if (cd "$work/copy/examples/tinypad" && shelfwright-cli process --settings tinypad.ini --library 1 > "$work/process.log" 2>&1); then
  echo "ok: shelfwright-cli process on a copy of the example"
else
  cat "$work/process.log"; echo "FAILED: shelfwright-cli process"; status=1
fi
out="$work/copy/build/example/TinyPad"
check "lib.ini written" test -s "$out/lib.ini"
check "language files written ($(ls "$out"/*.lng 2>/dev/null | wc -l))" bash -c "ls '$out'/*.lng > /dev/null 2>&1"

# Minimal container images tell dpkg to leave out manual pages; the page is
# then not installed and `man` cannot show it, which says nothing of the
# package.
if grep -qs 'path-exclude.*/usr/share/man' /etc/dpkg/dpkg.cfg.d/*; then
  echo "skipped: man shelfwright-cli (this system's dpkg leaves out manual pages)"
else
  check "man shelfwright-cli" bash -c "MANPAGER=cat man shelfwright-cli 2>/dev/null | grep -q 'shelfwright-cli'"
fi

version_line="$(env -u DISPLAY -u WAYLAND_DISPLAY shelfwright --version 2>&1 || true)"
check "shelfwright --version prints without a display ($version_line)" \
  bash -c "grep -qiE '^shelfwright [0-9]' <<< '$version_line'"

[ "$status" = 0 ] && echo "check-deb-install: the installed package works"
exit "$status"
