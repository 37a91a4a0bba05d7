#!/usr/bin/env bash
# Installs every package needed to build, test and run Shelfwright on Debian 12.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  libfmt-dev libcli11-dev nlohmann-json3-dev
  qt6-base-dev libgl-dev
  xvfb xauth xdotool
  llvm clang fp-compiler fp-units-fcl
  # Translators' exchange: XML and PO libraries; msgfmt and translate-toolkit for the cross-checks
  libpugixml-dev libgettextpo-dev gettext translate-toolkit
  # The Debian package (scripts/build-deb.sh): shlibdeps, man pages, icons, checks
  dpkg-dev file help2man librsvg2-bin lintian desktop-file-utils appstream man-db
  # The Windows build (scripts/build-mingw.sh): cross compiler, GoogleTest
  # sources built for the target, Wine to run the tests
  g++-mingw-w64-x86-64-posix googletest wine wine64
  # The translation memory (SQLite), the run's per-file cache (xxHash),
  # similarity of texts (edlib) and word diffs (dtl)
  libsqlite3-dev libxxhash-dev libedlib-dev libdtl-dev
  # Independent readers of Windows programs for the cross-checks
  python3-pefile icoutils
  # The fuzz harnesses (scripts/fuzz.sh): libFuzzer comes with clang's runtime
  libclang-rt-14-dev
)
# llvm-rc runs clang as its preprocessor: without clang it skips preprocessing
# and the resource-script cross-checks fail on every #define.

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#PACKAGES[@]} packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
