#!/usr/bin/env bash
# Runs fuzz targets of a sanitizer build for a while each, at low priority.
#   scripts/fuzz.sh BUILD_DIR SECONDS CORPUS_ROOT PARALLEL [TARGET...]
# Each target grows its corpus in CORPUS_ROOT/TARGET (outside the tree),
# starting from the committed seeds in fuzz/corpus/TARGET and using
# fuzz/dict/TARGET.dict. Crashes go to CORPUS_ROOT/TARGET-crash-*; each
# run's log to CORPUS_ROOT/TARGET.log, whose last lines give executions,
# executions a second and coverage. Without targets, all of them.
set -euo pipefail
build=$1 seconds=$2 root=$3 parallel=$4
shift 4
src=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -eq 0 ]; then
  set -- $(cd "$build" && ls -1 *_fuzz)
fi
mkdir -p "$root"
run_one() {
  local t=$1
  mkdir -p "$root/$t"
  local dict=()
  [ -f "$src/fuzz/dict/$t.dict" ] && dict=(-dict="$src/fuzz/dict/$t.dict")
  local seeds=()
  [ -d "$src/fuzz/corpus/$t" ] && seeds=("$src/fuzz/corpus/$t")
  echo "fuzzing $t for $seconds s"
  if nice -n 19 "$build/$t" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 -print_final_stats=1 \
      -artifact_prefix="$root/$t-crash-" "${dict[@]}" "$root/$t" "${seeds[@]}" >"$root/$t.log" 2>&1; then
    echo "$t: $(grep -E '^#[0-9]+.*DONE' "$root/$t.log" | tail -1)"
  else
    echo "$t: FOUND A FAULT, see $root/$t.log"
    return 1
  fi
}
export -f run_one
export build seconds root src
printf '%s\n' "$@" | xargs -P "$parallel" -I{} bash -c 'run_one {}'
