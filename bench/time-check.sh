#!/usr/bin/env bash
# Times `shelfwright-cli check` over every language of a large generated
# library (bench/gen_library.py: by default 2000 forms, 100,000 strings, 10
# languages) against one processing run of the same library, in one run on
# one machine:
#   - the first processing run (no language files yet) and a second,
#     unchanged one;
#   - `check` of all languages (the native one included, for hotkeys, which
#     reads every native form), with the problems it found;
#   - the check's time over each processing run's, wall clock and CPU
#     (user + system; on a shared machine the steadier figure).
# `check` must take less than one processing run.
#
# Usage: bench/time-check.sh [--forms N] [--strings N] [--langs N] [--units N]
#                            [--cli PATH] [--work DIR] [--keep] [--jobs N]
# --jobs N is handed to `process`. The library is generated into DIR
# (default: a temporary folder) and removed afterwards unless --keep is given.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
forms=2000 strings=100000 langs=10 units=400
cli="$root/build/default/src/cli/shelfwright-cli"
work="" keep=0 jobs=()
while [ $# -gt 0 ]; do
  case "$1" in
    --forms) forms="$2"; shift 2 ;;
    --strings) strings="$2"; shift 2 ;;
    --langs) langs="$2"; shift 2 ;;
    --units) units="$2"; shift 2 ;;
    --cli) cli="$2"; shift 2 ;;
    --work) work="$2"; shift 2 ;;
    --keep) keep=1; shift ;;
    --jobs) jobs=(--jobs "$2"); shift 2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
[ -x "$cli" ] || { echo "shelfwright-cli not found at $cli (build it first)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is needed (Debian package 'time')" >&2; exit 2; }
if [ -z "$work" ]; then work="$(mktemp -d)"; fi
cleanup() { if [ "$keep" = 0 ]; then rm -rf "$work"; fi; }
trap cleanup EXIT

calc() { awk "BEGIN { printf \"$1\", $2 }"; }

# Runs a command under /usr/bin/time -v; sets WALL, CPU (user + system) and RSS (KiB).
timed() {
  local log="$work/time.log"
  /usr/bin/time -v -o "$log" "$@" || true
  WALL=$(awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i]; print s }' "$log")
  CPU=$(awk -F': ' '/User time/ { u = $2 } /System time/ { s = $2 } END { printf "%.2f", u + s }' "$log")
  RSS=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$log")
}

echo "Machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at the start"
dir="$work/lib"
mkdir -p "$dir"
echo "Library: $forms forms, $strings strings, $langs languages, $units units per language${jobs:+, ${jobs[*]}}"
settings="$(python3 "$here/gen_library.py" "$dir" --forms "$forms" --strings "$strings" --langs "$langs" --units "$units")"

timed "$cli" process --settings "$settings" --library 1 --quiet "${jobs[@]}" > /dev/null
p1w=$WALL p1c=$CPU p1r=$RSS
timed "$cli" process --settings "$settings" --library 1 --quiet "${jobs[@]}" > /dev/null
p2w=$WALL p2c=$CPU
timed "$cli" check --settings "$settings" --library 1 --json --fail-on never > "$dir/check.json"
cw=$WALL cc=$CPU cr=$RSS
python3 - "$dir/check.json" <<'EOF'
import json, sys
s = json.load(open(sys.argv[1]))
counts = s["counts"]
print("  check found %d problems in %d languages (%d errors, %d warnings)" % (
    len(s["problems"]), len(counts), sum(c["error"] for c in counts.values()),
    sum(c["warning"] for c in counts.values())))
EOF
echo "  process, first run:  $p1w s wall, $p1c s cpu, $(calc "%.0f" "$p1r / 1024") MiB peak"
echo "  process, second run: $p2w s wall, $p2c s cpu"
echo "  check, all languages: $cw s wall, $cc s cpu, $(calc "%.0f" "$cr / 1024") MiB peak"
echo "  check / first run:  $(calc "%.2f" "$cw / $p1w") wall, $(calc "%.2f" "$cc / $p1c") cpu"
echo "  check / second run: $(calc "%.2f" "$cw / $p2w") wall, $(calc "%.2f" "$cc / $p2c") cpu"
echo "Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
