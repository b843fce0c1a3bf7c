#!/usr/bin/env bash
# Installs what the project needs from Debian's packages (and, for the tests,
# the browser test's pinned npm packages), then configures and builds.
# Usage: scripts/setup.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}
shift || true
with_tests=1
for arg in "$@"; do
  [ "$arg" = "-DTESSALINE_BUILD_TESTS=OFF" ] && with_tests=0
done

packages=(
  build-essential cmake pkg-config libgtest-dev file help2man lintian
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev libavfilter-dev
  libjpeg62-turbo-dev libturbojpeg0-dev ffmpeg time
  qt6-base-dev qt6-translations-l10n fonts-dejavu-core fonts-liberation
)
if [ $with_tests -eq 1 ]; then
  packages+=(chromium)
  # Debian's own Node.js unless one is already there (another vendor's
  # nodejs brings npm itself and conflicts with Debian's npm package).
  command -v node >/dev/null || packages+=(nodejs)
  command -v npm >/dev/null || packages+=(npm)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Ruffle and the browser driver at the versions of the committed lock file;
# installed again only when that file changes.
if [ $with_tests -eq 1 ]; then
  stamp=tests/browser/node_modules/.installed-package-lock.json
  if ! cmp -s tests/browser/package-lock.json "$stamp"; then
    npm ci --prefix tests/browser --no-audit --no-fund --loglevel=error
    cp tests/browser/package-lock.json "$stamp"
  fi
fi

cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$build_dir" -j2
