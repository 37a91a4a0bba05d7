#!/usr/bin/env bash
# Installs the dependencies, builds everything and runs every test: first the
# normal build, then the address/undefined-behaviour sanitizer build, which
# proves that no reader of outside data reads out of bounds on the damaged
# inputs the tests feed it.
#
# Under CI (CI=true) the normal build is CMake's Release type (-O3, as a
# packager or a user building by hand gets it) with warnings as errors
# (preset release-ci, in build/release); elsewhere it is the RelWithDebInfo
# build a developer works with (preset default). Debug builds are covered by
# the sanitizer build.
#
# Between the two: the Debian package is built and checked (lintian,
# desktop-file-validate, appstreamcli; under CI also installed and run), and
# the Windows build is made and tested under Wine.
#
# Usage: scripts/test.sh [--quick]   (--quick skips the sanitizer build)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

quick=0
[ "${1:-}" = "--quick" ] && quick=1
if [ "${CI:-}" = "true" ]; then
  preset=release-ci; build=build/release
else
  preset=default; build=build/default
fi

run_preset() {
  echo "== Building and testing with preset '$1'"
  cmake --preset "$1" -G Ninja
  cmake --build --preset "$1" -j "$(nproc)"
  ctest --preset "$1" -j "$(nproc)"
}

df -h . | tail -1
run_preset "$preset"

step() {
  local name="$1"; shift
  local started; started=$(date +%s)
  echo "== $name"
  "$@"
  echo "== $name: $(( $(date +%s) - started )) s"
}

step "Debian package" bash scripts/build-deb.sh "$build"
# Installing the package changes the machine: only on CI's throw-away machine.
if [ "${CI:-}" = "true" ]; then
  step "Debian package installed" bash scripts/check-deb-install.sh "$(ls $build/shelfwright_*.deb)"
fi
# The Windows build: MinGW-w64, its tests under Wine, its output compared
# with this build's.
step "Windows build under Wine" bash scripts/build-mingw.sh "$(pwd)/$build/src/cli/shelfwright-cli"
if [ "$quick" = 0 ]; then
  # CI's machine has a disk of its own size: the finished builds' objects go
  # before the sanitizer build needs the room (a developer keeps them).
  if [ "${CI:-}" = "true" ]; then
    rm -rf build/mingw
    find "$build" -name '*.o' -delete
  fi
  df -h . | tail -1
  run_preset asan
fi
