#!/usr/bin/env bash
# Installs the dependencies, builds everything and runs every test: first the
# normal build, then the address/undefined-behaviour sanitizer build, which
# proves that no reader of outside data reads out of bounds on the damaged
# inputs the tests feed it.
#
# Under CI (CI=true) the normal build is the Release build (-O3, preset
# release-ci in build/release) with warnings as errors: the optimizer's
# warnings show only there, and it is the build a packager makes. It takes the
# place of the RelWithDebInfo build with warnings as errors (preset ci), which
# would add no check of its own; the debug information it has is in the
# sanitizer build.
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
if [ "${CI:-}" = "true" ]; then preset=release-ci; else preset=default; fi

run_preset() {
  echo "== Building and testing with preset '$1'"
  cmake --preset "$1" -G Ninja
  cmake --build --preset "$1" -j "$(nproc)"
  ctest --preset "$1" -j "$(nproc)"
}

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
  run_preset asan
fi
