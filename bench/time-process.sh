#!/usr/bin/env bash
# Times whole processing runs on a generated synthetic library and prints, in
# one run on one machine, how they compare with what the input and output
# themselves cost:
#   - the I/O floor: reading every input file with `cat` and copying every
#     written language file with `cp`, both from the page cache;
#   - the whole first run (no language files yet), a second, unchanged run,
#     and a third with one form changed in each language folder, as seconds
#     and as a multiple of the floor;
#   - the time per language pass (whole run / languages);
#   - the scaling: the first run of this library over that of a library half
#     its size (forms, strings and units halved);
#   - the peak memory (`/usr/bin/time -v`), against the text payload (the
#     size of the uncompressed language files written).
# Wall-clock times are printed next to CPU times (user + system): on a shared
# machine the CPU time is the steadier figure.
#
# Usage: bench/time-process.sh [--forms N] [--strings N] [--langs N] [--units N]
#                              [--cli PATH] [--work DIR] [--keep] [--no-half] [--jobs N]
#                              [--no-memory]
# --jobs N is handed to `process` (files read in parallel; without it the
# program's default, the machine's cores), as is --no-memory (the runs keep
# no translation memory: what the run itself costs, without the memory's).
# Defaults: 2000 forms, 100000 strings, 10 languages, 400 units per language.
# The libraries are generated into DIR (default: a temporary folder) and
# removed afterwards unless --keep is given.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
forms=2000 strings=100000 langs=10 units=400
cli="$root/build/default/src/cli/shelfwright-cli"
work="" keep=0 half=1 jobs=() memory=()
while [ $# -gt 0 ]; do
  case "$1" in
    --forms) forms="$2"; shift 2 ;;
    --strings) strings="$2"; shift 2 ;;
    --langs) langs="$2"; shift 2 ;;
    --units) units="$2"; shift 2 ;;
    --cli) cli="$2"; shift 2 ;;
    --work) work="$2"; shift 2 ;;
    --keep) keep=1; shift ;;
    --no-half) half=0; shift ;;
    --jobs) jobs=(--jobs "$2"); shift 2 ;;
    --no-memory) memory=(--no-memory); shift ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
[ -x "$cli" ] || { echo "shelfwright-cli not found at $cli (build it first)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is needed (Debian package 'time')" >&2; exit 2; }
if [ -z "$work" ]; then work="$(mktemp -d)"; fi
cleanup() { if [ "$keep" = 0 ]; then rm -rf "$work"; fi; }
trap cleanup EXIT

now() { date +%s.%N; }
calc() { awk "BEGIN { printf \"$1\", $2 }"; }

# Runs a command under /usr/bin/time -v; sets WALL, CPU (user + system) and RSS (KiB).
timed() {
  local log="$work/time.log"
  /usr/bin/time -v -o "$log" "$@" || true
  WALL=$(awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i]; print s }' "$log")
  CPU=$(awk -F': ' '/User time/ { u = $2 } /System time/ { s = $2 } END { printf "%.2f", u + s }' "$log")
  RSS=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$log")
}

# Measures one library of the given size; prints its lines and sets FIRST_WALL/FIRST_CPU.
measure() {
  local dir="$1" f="$2" s="$3" u="$4"
  mkdir -p "$dir"
  echo "Library: $f forms, $s strings, $langs languages, $u units per language${jobs:+, ${jobs[*]}}${memory:+, ${memory[*]}}"
  local settings files bytes
  settings="$(python3 "$here/gen_library.py" "$dir" --forms "$f" --strings "$s" --langs "$langs" --units "$u")"
  files=$(find "$dir/src" -type f | wc -l)
  bytes=$(du -sb "$dir/src" | cut -f1)
  echo "  input: $files files, $(calc "%.1f" "$bytes / 1048576") MiB"

  local run=("$cli" process --settings "$settings" --library 1 --quiet --json "${jobs[@]}" "${memory[@]}")
  timed "${run[@]}" > "$dir/first.json"
  local w1=$WALL c1=$CPU r1=$RSS
  timed "${run[@]}" > "$dir/second.json"
  local w2=$WALL c2=$CPU r2=$RSS
  # One text form changed in each language folder: its first caption.
  local lang form
  for lang in "$dir"/src/*/; do
    form=$(grep -l "^  Caption = '" "$lang"*.dfm 2>/dev/null | head -1 || true)
    [ -n "$form" ] && sed -i "0,/^  Caption = '/s//  Caption = 'Changed /" "$form"
  done
  timed "${run[@]}" > "$dir/changed.json"
  local w3=$WALL c3=$CPU r3=$RSS
  python3 - "$dir/first.json" <<'EOF'
import json, sys
s = json.load(open(sys.argv[1]))
if "error" in s: print("  ERROR " + s["error"]); sys.exit(1)
print("  files read %s, failed %d, items %d" % (
    sum(s["filesRead"].values()), s["filesFailed"], sum(l["items"] for l in s["languages"])))
EOF

  # The floor, from the page cache: each side warmed once, then timed.
  local payload t0 t1 readt copyt
  payload=$(du -cb "$dir"/out/*.lng | tail -1 | cut -f1)
  find "$dir/src" -type f -exec cat {} + > /dev/null
  t0=$(now); find "$dir/src" -type f -exec cat {} + > /dev/null; t1=$(now)
  readt=$(calc "%.3f" "$t1 - $t0")
  rm -rf "$dir/out.copy"; cp -r "$dir/out" "$dir/out.copy"; rm -rf "$dir/out.copy"
  t0=$(now); cp -r "$dir/out" "$dir/out.copy"; t1=$(now)
  copyt=$(calc "%.3f" "$t1 - $t0")
  rm -rf "$dir/out.copy"
  local floor
  floor=$(calc "%.3f" "$readt + $copyt")

  echo "  I/O floor: $floor s (cat inputs $readt s + cp outputs $copyt s)"
  echo "  first run:  $w1 s wall = $(calc "%.1f" "$w1 / $floor")x floor, $c1 s cpu = $(calc "%.1f" "$c1 / $floor")x floor;" \
       "per pass $(calc "%.2f" "$w1 / $langs") s wall, $(calc "%.2f" "$c1 / $langs") s cpu"
  echo "  second run: $w2 s wall = $(calc "%.1f" "$w2 / $floor")x floor, $c2 s cpu = $(calc "%.1f" "$c2 / $floor")x floor;" \
       "per pass $(calc "%.2f" "$w2 / $langs") s wall, $(calc "%.2f" "$c2 / $langs") s cpu"
  echo "  one form changed per language: $w3 s wall = $(calc "%.1f" "$w3 / $floor")x floor, $c3 s cpu =" \
       "$(calc "%.1f" "$c3 / $floor")x floor"
  local peak=$(( r1 > r2 ? r1 : r2 ))
  peak=$(( peak > r3 ? peak : r3 ))
  echo "  peak memory: $(calc "%.0f" "$peak / 1024") MiB = $(calc "%.2f" "$peak * 1024 / $payload")x the text payload" \
       "($(calc "%.1f" "$payload / 1048576") MiB of language files)"
  FIRST_WALL=$w1 FIRST_CPU=$c1
}

# Wall-clock figures depend on what else the machine runs: say so.
echo "Machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at the start"
measure "$work/large" "$forms" "$strings" "$units"
large_wall=$FIRST_WALL large_cpu=$FIRST_CPU
if [ "$half" = 1 ]; then
  if [ "$keep" = 0 ]; then rm -rf "$work/large"; fi
  measure "$work/half" $((forms / 2)) $((strings / 2)) $((units / 2))
  echo "Scaling, large / half (first run): $(calc "%.2f" "$large_wall / $FIRST_WALL") wall," \
       "$(calc "%.2f" "$large_cpu / $FIRST_CPU") cpu"
fi
echo "Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
