#!/usr/bin/env bash
# Starts the desktop program on a virtual X display and saves PNG pictures of
# the main window and the information window under docs/.
# Usage: scripts/screenshot.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."

missing=()
for p in xvfb qt6-qpa-plugins; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build_dir=${1:-build}
if [ ! -x "$build_dir/bin/tessaline" ]; then
  scripts/setup.sh "$build_dir" -DTESSALINE_BUILD_TESTS=OFF
fi

display=99
while [ -e "/tmp/.X${display}-lock" ]; do display=$((display + 1)); done
Xvfb ":${display}" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X${display}" ] && break
  sleep 0.1
done

DISPLAY=":${display}" QT_QPA_PLATFORM=xcb "$build_dir/bin/tessaline" --screenshot docs
echo "Gespeichert: docs/mainwindow.png docs/aboutbox.png"
