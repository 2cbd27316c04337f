#!/usr/bin/env bash
# Builds the threaded suites (device link, report thread, device library, pairing reports, faults: kill, unplug, hung library) with ThreadSanitizer (the tsan
# preset) and runs them: any report fails the run. Expects what scripts/deps.sh installs.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset tsan
cmake --build --preset tsan -j"$(nproc)"
ctest --preset tsan -j"$(nproc)"
