#!/usr/bin/env bash
# Builds the optimised programs in build/ (as ./run.sh does) and packs them
# into build/tessaline_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build -DTESSALINE_BUILD_TESTS=OFF
(cd build && cpack -G DEB >/dev/null)
ls build/tessaline_*.deb
