#!/usr/bin/env bash
# CI's sanitizer stage: every suite under ASan + UBSan, the threaded suites under TSan, and each fuzz
# target for a short run on its committed corpus. Each preset is built once (ccache); any sanitizer report
# fails the stage. Expects what scripts/deps.sh installs; adds Clang for libFuzzer when it is missing.
# Usage: scripts/ci-sanitizers.sh [FUZZ_SECONDS]   (default 30)
set -euo pipefail
cd "$(dirname "$0")/.."
# Paths relative to the checkout in ccache's keys: another clone of the tree reuses the same cache.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
fuzz_seconds=${1:-${ZF_CI_FUZZ_SECONDS:-30}}
jobs=$(nproc)

bash scripts/deps.sh clang libclang-rt-14-dev

stamp() { echo "== $(date +%T) $*"; }
timed() {
  local label=$1 start=$SECONDS
  shift
  stamp "$label"
  "$@"
  echo "== $label: $((SECONDS - start)) s"
}

# Waiting suites (timers, the virtual link's pacing) leave cores idle: one more test than cores.
timed "tsan configure" cmake --preset tsan
timed "tsan build" cmake --build --preset tsan -j"$jobs"
timed "tsan tests" ctest --preset tsan -j"$((jobs + 1))"
timed "asan configure" cmake --preset asan
timed "asan build" cmake --build --preset asan -j"$jobs"
timed "asan tests" ctest --preset asan -j"$((jobs + 1))"
timed "fuzz" bash scripts/fuzz.sh "$fuzz_seconds"
