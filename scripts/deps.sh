#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the screenshots need (only what is missing).
# Usage: scripts/deps.sh [PACKAGE...]   (packages given: those instead, as the sanitizer stage asks for Clang)
set -euo pipefail
pkgs=("$@")
[ ${#pkgs[@]} -gt 0 ] || pkgs=(build-essential cmake ccache pkg-config qtbase5-dev qtbase5-dev-tools libqt5network5 libqt5svg5-dev libx11-dev libxrandr-dev
      libgtest-dev libbenchmark-dev xvfb xauth x11-apps imagemagick fonts-dejavu-core fonts-noto-cjk
      fonts-noto-core xdotool desktop-file-utils appstream dpkg-dev python3 openssl qttranslations5-l10n)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
