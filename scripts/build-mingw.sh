#!/usr/bin/env bash
# Builds the Windows (64-bit) library, command line program and tests with the
# MinGW-w64 cross compiler (preset `mingw`, build/mingw), then runs the tests
# under Wine and checks that shelfwright-cli.exe writes the same files as the
# Linux build (scripts/wine-check.sh).
#
# Where Wine cannot start a program the tests are skipped with a notice, and
# under CI=true the script fails instead.
#
# Usage: scripts/build-mingw.sh [--no-test] [LINUX_CLI]
#   LINUX_CLI: the Linux shelfwright-cli to compare with (default: the one in
#   build/default, built when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"

run_tests=1
if [ "${1:-}" = "--no-test" ]; then run_tests=0; shift; fi
linux_cli="${1:-}"

cmake --preset mingw -G Ninja
cmake --build --preset mingw -j "$(nproc)"
echo "== built: $(ls build/mingw/src/cli/shelfwright-cli.exe)"
[ "$run_tests" = 1 ] || exit 0

# Wine keeps its registry and drive setup in a prefix of its own inside the
# build tree; it is created once.
export WINEPREFIX="$root/build/mingw/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "== creating the Wine prefix"
  wineboot --init > /dev/null 2>&1 || true
  wineserver -w || true
fi
# A machine where Wine cannot start a program at all (no usable Wine loader)
# says nothing of the Windows build: its tests are then skipped, loudly. On CI
# (CI=true) that is a failure: a green run must mean the Windows tests ran.
if ! wine cmd /c exit 0 > build/mingw/wine-probe.log 2>&1; then
  cat build/mingw/wine-probe.log
  if [ "${CI:-}" = "true" ]; then
    echo "== FAILED: Wine cannot start a Windows program on this CI machine; the Windows tests did not run"
    exit 1
  fi
  echo "== SKIPPED: Wine cannot start a Windows program on this machine; the Windows tests did not run"
  exit 0
fi

# `ctest --preset mingw` runs every test case as a Wine process of its own
# (CTest's cross-compiling emulator); here each test program runs once under
# Wine with all its cases, which takes a fraction of the time.
start=$(date +%s)
failed=()
for exe in build/mingw/tests/test_*.exe; do
  name="$(basename "$exe" .exe)"
  if (cd build/mingw/tests && wine "./$name.exe" --gtest_brief=1 > "$name.wine.log" 2>&1); then
    echo "ok: $name: $(grep -E '^\[  PASSED  \]' "build/mingw/tests/$name.wine.log" | sed 's/\[  PASSED  \] //')" \
         "$(grep -E '^\[  SKIPPED \]' "build/mingw/tests/$name.wine.log" | head -n 1 | sed 's/\[  SKIPPED \] /skipped: /')"
  else
    echo "FAILED: $name"; cat "build/mingw/tests/$name.wine.log"; failed+=("$name")
  fi
done
echo "== Windows tests under Wine: $(( $(date +%s) - start )) s"
[ ${#failed[@]} -eq 0 ] || { echo "Windows tests failed: ${failed[*]}"; exit 1; }

if [ -z "$linux_cli" ]; then
  linux_cli="$root/build/default/src/cli/shelfwright-cli"
  if [ ! -x "$linux_cli" ]; then
    cmake --preset default -G Ninja
    cmake --build --preset default -j "$(nproc)" --target shelfwright-cli
  fi
fi
bash scripts/wine-check.sh "$linux_cli" "$root/build/mingw/src/cli/shelfwright-cli.exe"
