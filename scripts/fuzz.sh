#!/usr/bin/env bash
# Builds the fuzz preset (Clang, libFuzzer, ASan + UBSan) and runs every fuzz target for SECONDS
# (default 30) on its seed files and committed corpus, two at a time. Inputs found are kept in
# build-fuzz/fuzz-runs/<target>/corpus; a crash, leak, time-out or undefined behaviour is saved there as an
# artifact and fails the run. Prints executions, executions a second, coverage and features per target.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
#   ZF_FUZZ_RUNS=N   stop a target after N executions instead (SECONDS stays the cap)
#   ZF_FUZZ_ARGS=... more libFuzzer options, e.g. -max_len=1024
#   ZF_FUZZ_JOBS=N   targets at a time (default: the number of cores)
#   ASAN_OPTIONS=... added to the script's own, e.g. quarantine_size_mb=16:malloc_context_size=5 for long
#                    runs of targets that allocate much (shorter stacks in a report)
set -euo pipefail
cd "$(dirname "$0")/.."
# Paths relative to the checkout in ccache's keys: another clone of the tree reuses the same cache.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
seconds=${1:-30}
shift || true
jobs=${ZF_FUZZ_JOBS:-$(nproc)}
src=$PWD
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)"
runs=build-fuzz/fuzz-runs
mkdir -p "$runs"

run_one() {
  local list=$1 name bin dir
  name=$(basename "$list" .txt)
  bin=$(head -n1 "$list")
  dir=$runs/$name
  mkdir -p "$dir/corpus"
  tail -n +2 "$list" | while read -r seed; do
    [ -n "$seed" ] && cp -f "$seed" "$dir/corpus/" 2>/dev/null || true
  done
  local corpora=("$dir/corpus")
  [ -d "$src/tests/fuzz/$name" ] && corpora+=("$src/tests/fuzz/$name")
  local rc=0
  ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1${ASAN_OPTIONS:+:$ASAN_OPTIONS} \
  LSAN_OPTIONS=suppressions=$src/tests/lsan.supp:print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$bin" -max_total_time="$seconds" ${ZF_FUZZ_RUNS:+-runs=$ZF_FUZZ_RUNS} -timeout=10 -rss_limit_mb=2560 \
      ${ZF_FUZZ_ARGS:-} -print_final_stats=1 -artifact_prefix="$dir/" "${corpora[@]}" >"$dir/log" 2>&1 || rc=$?
  local execs rate cov ft
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -n1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$dir/log" | tail -n1)
  cov=$(grep -o 'cov: [0-9]*' "$dir/log" | tail -n1 | cut -d' ' -f2)
  ft=$(grep -o 'ft: [0-9]*' "$dir/log" | tail -n1 | cut -d' ' -f2)
  printf '%-22s %12s %8s %7s %7s  %s\n' "$name" "${execs:-?}" "${rate:-?}" "${cov:-?}" "${ft:-?}" \
    "$([ $rc -eq 0 ] && echo none || echo "FINDING (exit $rc): see $dir/log")"
  return $rc
}
export -f run_one
export runs seconds src

lists=()
if [ $# -gt 0 ]; then
  for t in "$@"; do lists+=("build-fuzz/fuzz-targets/$t.txt"); done
else
  lists=(build-fuzz/fuzz-targets/*.txt)
fi
printf '%-22s %12s %8s %7s %7s  %s\n' target executions exec/s cov ft findings
printf '%s\n' "${lists[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one "$@"' _ {}
