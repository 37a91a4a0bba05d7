#!/usr/bin/env bash
# Runs the bundled example with the Linux and the Windows command line program
# (the latter under Wine) and checks that both write byte-identical language
# files and lib.ini, and that `locales --json` prints the same.
#
# Usage: scripts/wine-check.sh LINUX_CLI WINDOWS_CLI_EXE
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
linux_cli="$1"
windows_cli="$2"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="${WINEPREFIX:-$root/build/mingw/wineprefix}"
wine_bin="$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# One copy of the example per program: the settings file names its folders
# relative to examples/tinypad, and the output lands two levels up in
# build/example, so each copy gets that layout of its own.
for side in linux windows; do
  mkdir -p "$work/$side/examples"
  cp -r examples/tinypad "$work/$side/examples/"
done
# The Windows build keeps no translation memory (no SQLite for MinGW): the
# Linux run is made without one too, so both write the same files. Neither
# keeps the per-file cache, which holds the run's time and the files' paths.
(cd "$work/linux/examples/tinypad" &&
  "$linux_cli" process --settings tinypad.ini --library 1 --no-memory --no-cache > "$work/linux.log" 2>&1)
(cd "$work/windows/examples/tinypad" &&
  "$wine_bin" "$windows_cli" process --settings tinypad.ini --library 1 --no-cache > "$work/windows.log" 2>&1) || {
  echo "wine-check: shelfwright-cli.exe process failed:"; cat "$work/windows.log"; exit 1; }

status=0
linux_out="$work/linux/build/example/TinyPad"
windows_out="$work/windows/build/example/TinyPad"
files=$(cd "$linux_out" && ls)
[ -n "$files" ] || { echo "wine-check: the Linux run wrote nothing"; exit 1; }
for f in $files; do
  if cmp -s "$linux_out/$f" "$windows_out/$f"; then
    echo "identical: $f ($(stat -c %s "$linux_out/$f") bytes)"
  else
    echo "DIFFERENT: $f"; status=1
  fi
done
if [ "$(cd "$windows_out" && ls)" != "$files" ]; then
  echo "DIFFERENT: the file lists: $(cd "$windows_out" && ls | tr '\n' ' ')"; status=1
fi

"$linux_cli" locales --json > "$work/locales-linux.json"
# Text written to the Windows console or a pipe ends its lines with CR LF, as
# every Windows program's standard output does; the text itself must match.
"$wine_bin" "$windows_cli" locales --json | tr -d '\r' > "$work/locales-windows.json"
if cmp -s "$work/locales-linux.json" "$work/locales-windows.json"; then
  echo "identical: locales --json ($(stat -c %s "$work/locales-linux.json") bytes, line ends aside)"
else
  echo "DIFFERENT: locales --json"; diff "$work/locales-linux.json" "$work/locales-windows.json" | head -20; status=1
fi
[ "$status" = 0 ] && echo "wine-check: the Windows build writes what the Linux build writes"
exit "$status"
