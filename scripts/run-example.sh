#!/usr/bin/env bash
# Installs the dependencies, builds Shelfwright and runs its main job on the
# bundled example: processes the TinyPad sample library (English with German
# and French translations, every kind of input file) as stored in
# examples/tinypad/tinypad.ini, then shows what was written.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
bash scripts/install-deps.sh
cmake --preset default -G Ninja
# Only the two programs: the tests and benchmarks are built by scripts/test.sh.
cmake --build --preset default -j "$(nproc)" --target shelfwright-cli shelfwright
cli="$root/build/default/src/cli/shelfwright-cli"
"$cli" --version

# The settings file names its folders relative to examples/tinypad; the
# language files and lib.ini land in build/example/TinyPad.
echo
echo "== The stored library"
(cd examples/tinypad && "$cli" libraries --settings tinypad.ini)
echo
echo "== Processing it"
status=0
(cd examples/tinypad && "$cli" process --settings tinypad.ini --library 1) || status=$?
out="$root/build/example/TinyPad"
echo
echo "== Written to $out"
ls -l "$out"
echo
echo "== lib.ini"
tr -d '\r' < "$out/lib.ini"
if "$cli" dump --help > /dev/null 2>&1; then
  echo
  echo "== The German language file (first 60 lines of: shelfwright-cli dump $out/TinyPad.DEU.lng)"
  ("$cli" dump "$out/TinyPad.DEU.lng" || true) | head -n 60
fi
exit "$status"
