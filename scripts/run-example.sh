#!/usr/bin/env bash
# Installs the dependencies, builds Shelfwright and runs it on the bundled example.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default -G Ninja
cmake --build --preset default -j "$(nproc)"
cli=build/default/src/cli/shelfwright-cli
"$cli" --version
