#!/usr/bin/env bash
# The installed program finds its files: an install into a staging folder holds every shipped file of the
# build's application folder, and the installed executable starts from there (pictures, device table and
# device library found, the control socket in the session's runtime folder).
#   installed-run.sh BUILD_DIR APP_DIR   (run through tests/run-isolated.sh)
set -euo pipefail
build=$1
app=$2
stage=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$stage"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
share="$stage/usr/share/zentrafox"
(cd "$app" && find . -type f) | while read -r f; do
  name=${f#./}
  case "$name" in
    zentrafox | zentrafox-mouse | zentrafoxctl) [ -x "$stage/usr/bin/$name" ] || fail "bin/$name not installed" ;;
    libHIDUsb.so) [ -n "$(find "$stage/usr/lib" -path '*/zentrafox/libHIDUsb.so')" ] \
      || fail "the device library is not in the private library folder" ;;
    *) cmp -s "$app/$name" "$share/$name" || fail "$name is not installed under share/zentrafox" ;;
  esac
done

unset ZF_APP_DIR
export QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="zf.shell.info=true"
export ZF_HIDUSB_DEVICES="$share/virtual/devices.txt" ZF_HIDUSB_STATE_DIR="$stage/state"
log="$stage/app.log"
"$stage/usr/bin/zentrafox" >"$log" 2>&1 &
pid=$!
for _ in $(seq 1 100); do
  grep -q "home window shown" "$log" && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
grep -q "home window shown" "$log" || { cat "$log"; fail "the installed program showed no window"; }
answered=""
for _ in $(seq 1 50); do
  answered=$("$stage/usr/bin/zentrafox-mouse" list 2>/dev/null | grep -c '^mouse' || true)
  [ "${answered:-0}" -gt 0 ] && break
  sleep 0.1
done
[ "${answered:-0}" -gt 0 ] || fail "the installed device library does not answer on the control socket"
# Receiver classes above 1 come from the device table, which the installed library finds under share/.
"$stage/usr/bin/zentrafox-mouse" list | grep -q '^receiver .*class=[248]' \
  || fail "the installed device library did not read the device table"
if grep "Could not create pixmap\|device library not usable" "$log"; then
  fail "the installed program misses files"
fi
echo "installed program started; $answered virtual mice answering"
