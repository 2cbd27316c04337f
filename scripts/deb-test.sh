#!/usr/bin/env bash
# Builds the Debian package, installs it with apt-get on this machine, starts the installed program under
# Xvfb (its window must show texts and pictures, the device list, and a user's folder of an earlier build
# moved to the new place), then removes the package and checks that none of its files is left.
#   ZF_DEB_BUILD_DIR  a configured build folder to package as it is (CI: the one the tests just built);
#                     default build-deb, configured here for /usr without tests
#   ZF_DEB_DISPLAY    X display for Xvfb (default :95)
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
build=${ZF_DEB_BUILD_DIR:-build-deb}
# A given build folder keeps its configuration (its install prefix only names the library folder: the
# package installs under /usr either way, and the program finds its files relative to itself).
reuse=0
[ -n "${ZF_DEB_BUILD_DIR:-}" ] && [ -f "$build/CMakeCache.txt" ] && reuse=1
display=${ZF_DEB_DISPLAY:-:95}
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
t0=$(date +%s)
phase() { echo "deb-test: $1 ($(($(date +%s) - t0)) s)"; }
fail() { echo "deb-test: FAIL: $*" >&2; exit 1; }

bash scripts/deps.sh

# 1. Build and package.
if [ "$reuse" -eq 0 ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr -DZF_BUILD_TESTS=OFF \
    -DZF_BUILD_BENCH=OFF >/dev/null
fi
nice -n 10 cmake --build "$build" -j"$(nproc)" >/dev/null
rm -f "$build"/zentrafox_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/zentrafox_*.deb)
phase "built $(basename "$deb")"

# 2. What the package holds: dependencies from dpkg-shlibdeps, the layout, valid desktop files.
depends=$(dpkg-deb -f "$deb" Depends)
echo "deb-test: Depends: $depends"
for lib in libc6 libqt5core5a libqt5gui5 libqt5widgets5 libstdc++6; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib"
done
work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  if dpkg-query -W -f='${Status}' zentrafox 2>/dev/null | grep -q "install ok installed"; then
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get purge -y -qq zentrafox >/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/contents"
libdir=$(grep -E '^/usr/lib/([^/]+/)?zentrafox/libHIDUsb\.so$' "$work/contents" | head -1 || true)
[ -n "$libdir" ] || fail "the package lacks the device library in a private library folder"
libdir=$(dirname "$libdir")
for f in /usr/bin/zentrafox /usr/bin/zentrafox-mouse /usr/share/zentrafox/usersetting/Config.ini /usr/share/zentrafox/driver_sensor.h \
  /usr/share/zentrafox/Language/en.json /usr/share/zentrafox/Picture/Dialog/Logo.png \
  /usr/share/zentrafox/virtual/devices.txt /usr/share/applications/org.zentrafox.Zentrafox.desktop \
  /usr/share/metainfo/org.zentrafox.Zentrafox.metainfo.xml \
  /usr/share/icons/hicolor/scalable/apps/org.zentrafox.Zentrafox.svg \
  /usr/share/icons/hicolor/48x48/apps/org.zentrafox.Zentrafox.png; do
  grep -qx "$f" "$work/contents" || fail "the package lacks $f"
done
dpkg-deb -x "$deb" "$work/tree"
desktop-file-validate "$work/tree/usr/share/applications/org.zentrafox.Zentrafox.desktop"
appstreamcli validate --no-net --strict "$work/tree/usr/share/metainfo/org.zentrafox.Zentrafox.metainfo.xml" >/dev/null \
  || fail "appstreamcli validate"
phase "package contents checked"

# 3. Install as a user would.
if dpkg-query -W -f='${Status}' zentrafox 2>/dev/null | grep -q "install ok installed"; then
  fail "zentrafox is already installed on this machine; remove it first"
fi
DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "$PWD/$deb" >/dev/null
[ "$(command -v zentrafox)" = /usr/bin/zentrafox ] || fail "zentrafox is not on PATH after install"
phase "installed"

# 4. Start it under Xvfb in a fresh home that still has the folder of an earlier build.
home="$work/home"
mkdir -p "$home/AppData/Local/Zentrafox/usersetting/MacroPage" "$home/run"
chmod 700 "$home/run"
echo "[Macro]" >"$home/AppData/Local/Zentrafox/usersetting/MacroPage/Fire.ini"
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1
cd "$work"
env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$home/run" DISPLAY="$display" LANG=C.UTF-8 \
  QT_LOGGING_RULES="zf.shell.info=true" ZF_HIDUSB_DEVICES=/usr/share/zentrafox/virtual/devices.txt \
  zentrafox >"$work/app.log" 2>&1 &
app_pid=$!
for _ in $(seq 1 100); do
  grep -q "home window shown" "$work/app.log" && break
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.2
done
grep -q "home window shown" "$work/app.log" || { cat "$work/app.log"; fail "no window"; }
phase "window shown"
sleep 3 # the device list fills in
window=$(DISPLAY="$display" xdotool search --onlyvisible --class zentrafox | head -1)
[ -n "$window" ] || fail "no visible window of class zentrafox"
shot="${TMPDIR:-/tmp}/zentrafox-deb-test.png"
DISPLAY="$display" import -window "$window" "$shot"
colours=$(convert "$shot" -format "%k" info:)
echo "deb-test: screenshot $shot, $colours colours"
# Pictures and anti-aliased texts give thousands of colours; a window whose files were not found, a few
# hundred, and Qt says which pictures it could not load.
if grep -q "Could not create pixmap" "$work/app.log"; then
  grep "Could not create pixmap" "$work/app.log" | head -3
  fail "pictures missing"
fi
[ "$colours" -ge 2000 ] || fail "the window looks empty ($colours colours)"
devices=$(env -i HOME="$home" XDG_RUNTIME_DIR="$home/run" zentrafox-mouse list | grep -c '^mouse' || true)
[ "$devices" -gt 0 ] || fail "the installed program's device library does not answer"
[ -f "$home/.local/share/Zentrafox/usersetting/MacroPage/Fire.ini" ] && [ ! -e "$home/AppData" ] \
  || fail "the earlier per-user folder was not moved"
kill "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=""
cd "$src"
phase "program checked ($devices virtual mice answering)"

# 5. Remove, and nothing of the package may be left.
DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get purge -y -qq zentrafox >/dev/null
dpkg-query -W -f='${Status}' zentrafox 2>/dev/null | grep -q "install ok installed" && fail "still installed"
left=0
while read -r f; do
  case "$f" in */) continue ;; esac
  if [ -e "$f" ]; then
    echo "left behind: $f"
    left=1
  fi
done <"$work/contents"
for d in /usr/share/zentrafox "$libdir"; do
  [ -e "$d" ] && { echo "left behind: $d"; left=1; }
done
[ "$left" -eq 0 ] || fail "files left after removal"
phase "removed cleanly"
echo "deb-test: OK"
