#!/usr/bin/env bash
# Times a whole processing run on a generated synthetic library, and the time
# to merely read its input files, so that their ratio can be quoted.
#
# Usage: bench/time-process.sh [--forms N] [--strings N] [--langs N] [--units N]
#                              [--cli PATH] [--work DIR] [--keep]
# Defaults: 2000 forms, 100000 strings, 10 languages, 100 units per language.
# The library is generated into DIR (default: a temporary folder) and removed
# afterwards unless --keep is given. Runs: a first run (no language files yet)
# and a second, unchanged run (every file loaded, nothing changed).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
forms=2000 strings=100000 langs=10 units=100
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
    --keep) keep=1; shift ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
[ -x "$cli" ] || { echo "shelfwright-cli not found at $cli (build it first)" >&2; exit 2; }
if [ -z "$work" ]; then work="$(mktemp -d)"; fi
cleanup() { if [ "$keep" = 0 ]; then rm -rf "$work"; fi; }
trap cleanup EXIT

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }

echo "Generating: $forms forms, $strings strings, $langs languages, $units units per language"
t0=$(now)
settings="$(python3 "$here/gen_library.py" "$work" --forms "$forms" --strings "$strings" --langs "$langs" --units "$units")"
t1=$(now)
files=$(find "$work/src" -type f | wc -l)
bytes=$(du -sb "$work/src" | cut -f1)
echo "  $files input files, $bytes bytes, generated in $(elapsed "$t0" "$t1") s"

# Reading the inputs: every byte once, from the page cache (warmed first).
find "$work/src" -type f -exec cat {} + > /dev/null
t0=$(now)
find "$work/src" -type f -exec cat {} + > /dev/null
t1=$(now)
read_time=$(elapsed "$t0" "$t1")
echo "Reading the input files: $read_time s"

run() {
  local label="$1"
  local t0 t1 rss=""
  t0=$(now)
  if command -v /usr/bin/time > /dev/null; then
    /usr/bin/time -f "%M %U %S" -o "$work/rss" "$cli" process --settings "$settings" --library 1 --quiet --json \
      > "$work/summary.json" || true
    rss="$(awk '{ printf "(cpu %.2f s user + %.2f s system, %d KiB peak)", $2, $3, $1 }' "$work/rss")"
  else
    "$cli" process --settings "$settings" --library 1 --quiet --json > "$work/summary.json" || true
  fi
  t1=$(now)
  local t
  t=$(elapsed "$t0" "$t1")
  echo "$label: $t s ($(awk -v a="$t" -v b="$read_time" 'BEGIN { printf "%.1f", (b > 0 ? a / b : 0) }') x reading) $rss"
  python3 - "$work/summary.json" <<'EOF'
import json, sys
s = json.load(open(sys.argv[1]))
items = sum(l["items"] for l in s["languages"])
changed = sum(l["valuesChanged"] for l in s["languages"])
print("  files read %s, failed %d, languages %d, items %d, values changed %d%s" % (
    s["filesRead"], s["filesFailed"], len(s["languages"]), items, changed,
    ", ERROR " + s["error"] if "error" in s else ""))
EOF
}
run "First run (creates every language file)"
run "Second run (unchanged sources)"
