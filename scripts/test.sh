#!/usr/bin/env bash
# Installs the dependencies, builds everything and runs every test: first the
# normal build, then the address/undefined-behaviour sanitizer build, which
# proves that no reader of outside data reads out of bounds on the damaged
# inputs the tests feed it.
#
# Under CI (CI=true) the normal build has warnings as errors (preset ci).
# The Release build with warnings as errors (preset release-ci, -O3, in
# build/release) is meant to take its place once a Release build is free of
# warnings: then set preset=release-ci below; the RelWithDebInfo build adds
# no check of its own, and debug builds are covered by the sanitizer build.
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
if [ "${CI:-}" = "true" ]; then preset=ci; else preset=default; fi

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

step "Debian package" bash scripts/build-deb.sh "build/$preset"
# Installing the package changes the machine: only on CI's throw-away machine.
if [ "${CI:-}" = "true" ]; then
  step "Debian package installed" bash scripts/check-deb-install.sh "$(ls build/$preset/shelfwright_*.deb)"
fi
# The Windows build: MinGW-w64, its tests under Wine, its output compared
# with this build's.
step "Windows build under Wine" bash scripts/build-mingw.sh "$(pwd)/build/$preset/src/cli/shelfwright-cli"
if [ "$quick" = 0 ]; then
  # CI's machine has a disk of its own size: the finished builds' objects go
  # before the sanitizer build needs the room (a developer keeps them).
  if [ "${CI:-}" = "true" ]; then
    rm -rf build/mingw
    find "build/$preset" -name '*.o' -delete
  fi
  df -h . | tail -1
  run_preset asan
fi
