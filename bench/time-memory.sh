#!/usr/bin/env bash
# Times the processing run of a generated library with and without the
# library's memory (first run: no language files and no memory; second run:
# nothing changed), and compares the memory file's size with the text
# payload (the language files written).
#
# Usage: bench/time-memory.sh [--forms N] [--strings N] [--langs N] [--units N]
#                             [--cli PATH] [--work DIR] [--keep] [--jobs N]
# Defaults: 2000 forms, 100000 strings, 10 languages, 400 units per language.
# CPU times (user + system, /usr/bin/time -v) are the steadier figure on a
# shared machine; the memory's cost is printed as a share of the run without.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
forms=2000 strings=100000 langs=10 units=400 jobs=2
cli="$root/build/default/src/cli/shelfwright-cli"
work="" keep=0
while [ $# -gt 0 ]; do
  case "$1" in
    --forms) forms="$2"; shift 2 ;;
    --strings) strings="$2"; shift 2 ;;
    --langs) langs="$2"; shift 2 ;;
    --units) units="$2"; shift 2 ;;
    --cli) cli="$2"; shift 2 ;;
    --work) work="$2"; shift 2 ;;
    --jobs) jobs="$2"; shift 2 ;;
    --keep) keep=1; shift ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
[ -x "$cli" ] || { echo "shelfwright-cli not found at $cli (build it first)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is needed (Debian package 'time')" >&2; exit 2; }
if [ -z "$work" ]; then work="$(mktemp -d)"; fi
cleanup() { if [ "$keep" = 0 ]; then rm -rf "$work"; fi; }
trap cleanup EXIT

settings="$(python3 "$here/gen_library.py" "$work/lib" --forms "$forms" --strings "$strings" --langs "$langs" --units "$units")"
dest="$(grep -m1 '^DestDir=' "$settings" | cut -d= -f2 | tr -d '\r')"
case "$dest" in /*) ;; *) dest="$(dirname "$settings")/$dest" ;; esac

declare -A cpu
run() {  # key, label, extra options
  local key="$1" label="$2" log="$work/time.log"; shift 2
  /usr/bin/time -v -o "$log" "$cli" process --settings "$settings" --library 1 --quiet --jobs "$jobs" "$@" >/dev/null
  local user sys rss
  user=$(awk -F': ' '/User time/ { print $2 }' "$log")
  sys=$(awk -F': ' '/System time/ { print $2 }' "$log")
  rss=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$log")
  cpu[$key]=$(awk "BEGIN { printf \"%.2f\", $user + $sys }")
  echo "$label: ${cpu[$key]} s cpu ($user s user + $sys s system), $rss KB peak"
}
for mode in without with; do
  rm -rf "$dest"
  extra=(); [ "$mode" = without ] && extra=(--no-memory)
  run "$mode.first" "$mode memory, first run" "${extra[@]}"
  run "$mode.second" "$mode memory, second run" "${extra[@]}"
done
for r in first second; do
  echo "$r run: the memory costs $(awk "BEGIN { printf \"%+.1f\", 100 * (${cpu[with.$r]} / ${cpu[without.$r]} - 1) }")% cpu"
done
payload=$(cat "$dest"/*.lng | wc -c)
memory=$(cat "$dest"/*.memory.sqlite* | wc -c)
echo "language files: $payload bytes; memory file: $memory bytes ($(awk "BEGIN {printf \"%.2f\", $memory / $payload}")x)"
