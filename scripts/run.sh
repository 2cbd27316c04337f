#!/usr/bin/env bash
# Installs what is missing, builds and starts the program: on the user's display, or without one under
# Xvfb, leaving a screenshot of the window.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=${ZF_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZF_BUILD_TESTS=OFF -DZF_BUILD_BENCH=OFF
cmake --build "$build" -j"$(nproc)" --target zentrafox HIDUsb zf_resources 2>/dev/null \
  || cmake --build "$build" -j"$(nproc)"
app="$build/Zentrafox/zentrafox"
# Without hardware the library's virtual devices stand in: one mouse per shipped model unless told otherwise.
if [ -z "${ZF_HIDUSB_DEVICES:-}" ] && [ -f "$build/Zentrafox/virtual/devices.txt" ]; then
  export ZF_HIDUSB_DEVICES="$PWD/$build/Zentrafox/virtual/devices.txt"
fi
if [ -n "${DISPLAY:-}" ]; then
  exec "$app"
fi
shot="$PWD/$build/zentrafox-screenshot.png"
Xvfb :57 -screen 0 1600x1000x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 1
DISPLAY=:57 "$app" &
prog=$!
sleep "${ZF_SHOT_DELAY:-4}"
DISPLAY=:57 import -window root "$shot"
echo "No display: the program runs under Xvfb (:57); screenshot written to $shot"
echo "Press Ctrl+C to stop."
wait $prog
