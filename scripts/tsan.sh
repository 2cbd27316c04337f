#!/usr/bin/env bash
# Builds the threaded suites (device link, report thread, device library, pairing reports) with ThreadSanitizer and
# runs them: any report fails the run. Expects what scripts/deps.sh installs.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ZF_TSAN_BUILD_DIR:-build-tsan}
suites=(tst_core tst_device_link tst_device_discovery tst_device_link_e2e tst_hidusb_stress tst_pairing)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZF_SANITIZE=thread
cmake --build "$build" -j"$(nproc)" --target "${suites[@]}"
regex="^($(IFS='|'; echo "${suites[*]}"))\$"
cd "$build" && ctest --output-on-failure -j"$(nproc)" -R "$regex"
