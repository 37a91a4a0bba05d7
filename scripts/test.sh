#!/usr/bin/env bash
# Installs the dependencies, builds everything and runs every test: first the
# normal build (warnings are errors under CI), then the address/undefined-
# behaviour sanitizer build, which proves that no reader of outside data
# reads out of bounds on the damaged inputs the tests feed it.
#
# Between the two: the Debian package is built and checked (lintian,
# desktop-file-validate, appstreamcli).
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

run_preset "$preset"

started=$(date +%s)
echo "== Debian package"
bash scripts/build-deb.sh "build/$preset"
echo "== Debian package: $(( $(date +%s) - started )) s"
# The Windows build (scripts/build-mingw.sh: MinGW-w64, tests under Wine,
# output compared with this build's) is run on its own until it has been
# proven in a fresh machine's root.
if [ "$quick" = 0 ]; then
  run_preset asan
fi
