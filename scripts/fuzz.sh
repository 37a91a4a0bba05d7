#!/usr/bin/env bash
# Builds the fuzz harnesses with clang and libFuzzer (address and undefined-
# behaviour sanitizers, the core instrumented too) in build/fuzz and runs
# each for its share of the time, starting from its seed corpus.
#
# Usage: scripts/fuzz.sh [--minutes N] [HARNESS...]
#   --minutes N   total time, shared evenly by the harnesses run (default 10)
#   HARNESS       names as in fuzz/ (fuzz_xliff or xliff); default: every
#                 harness fuzz/CMakeLists.txt builds
#
# New inputs a run finds go to build/fuzz/found/<harness>/ (the seed folder
# fuzz/corpus/<corpus>/ is only read). An input that crashes, hangs or runs
# out of memory is copied into fuzz/corpus/<corpus>/ as crash-<hash> (or
# timeout-, oom-), so that CTest's fuzz_replay_<name> replays it in every
# build until the fault is fixed. Exit status 1 when any harness found one.
set -euo pipefail
cd "$(dirname "$0")/.."

minutes=10
wanted=()
while [ $# -gt 0 ]; do
  case "$1" in
    --minutes) minutes="${2:?--minutes needs a number}"; shift 2 ;;
    --minutes=*) minutes="${1#--minutes=}"; shift ;;
    -h|--help) sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "fuzz.sh: unknown option $1" >&2; exit 2 ;;
    *) wanted+=("fuzz_${1#fuzz_}"); shift ;;
  esac
done
case "$minutes" in ''|*[!0-9]*) echo "fuzz.sh: --minutes takes a whole number" >&2; exit 2 ;; esac

command -v clang++ >/dev/null || { echo "fuzz.sh: clang++ is not installed (scripts/install-deps.sh)" >&2; exit 2; }
build=build/fuzz
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" \
  -DSHELFWRIGHT_BUILD_FUZZ=ON -DSHELFWRIGHT_BUILD_TESTS=OFF -DSHELFWRIGHT_BUILD_BENCH=OFF -DSHELFWRIGHT_BUILD_GUI=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" >/dev/null

# "<harness> <corpus>" per line, written by fuzz/CMakeLists.txt.
declare -A corpusOf=()
all=()
while read -r name corpus; do
  [ -n "$name" ] || continue
  corpusOf[$name]=$corpus
  all+=("$name")
done <"$build/fuzz/harnesses.txt"
[ ${#wanted[@]} -gt 0 ] || wanted=("${all[@]}")
for name in "${wanted[@]}"; do
  [ -n "${corpusOf[$name]:-}" ] || { echo "fuzz.sh: no harness $name (have: ${all[*]})" >&2; exit 2; }
done

cmake --build "$build" -j "${FUZZ_JOBS:-2}" --target "${wanted[@]}"

seconds=$(( minutes * 60 / ${#wanted[@]} ))
[ "$seconds" -ge 1 ] || seconds=1
found=0
for name in "${wanted[@]}"; do
  corpus="fuzz/corpus/${corpusOf[$name]}"
  out="$build/found/$name"
  artifacts="$build/artifacts/$name"
  mkdir -p "$out" "$artifacts" "$corpus"
  echo "== $name: ${seconds}s with $corpus"
  set +e
  "$build/fuzz/$name" "$out" "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=65536 -print_final_stats=1 -artifact_prefix="$artifacts/" 2>&1 | tee "$build/$name.log" |
    grep -E '^(INFO: (Loaded|Running)|#[0-9]+ +DONE|stat::number_of_executed_units|stat::new_units_added|==[0-9]+==ERROR|SUMMARY)'
  set -e
  for artifact in "$artifacts"/crash-* "$artifacts"/timeout-* "$artifacts"/oom-* "$artifacts"/leak-*; do
    [ -e "$artifact" ] || continue
    base=$(basename "$artifact")
    if [ ! -e "$corpus/$base" ]; then
      cp "$artifact" "$corpus/$base"
      echo "$name: new fault input saved as $corpus/$base (see $build/$name.log)"
      found=1
    fi
  done
done
exit $found
