#!/usr/bin/env bash
# Installs the dependencies, builds everything and runs every test.
# Usage: scripts/test.sh [preset]   (default: "ci" under CI, else "default")
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
preset="${1:-}"
if [ -z "$preset" ]; then
  if [ "${CI:-}" = "true" ]; then preset=ci; else preset=default; fi
fi
cmake --preset "$preset" -G Ninja
cmake --build --preset "$preset" -j "$(nproc)"
ctest --preset "$preset" -j "$(nproc)"
