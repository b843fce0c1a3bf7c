#!/usr/bin/env bash
# Builds the optimised programs in build/ (as ./run.sh does), packs them into
# build/tessaline-cli_<version>_<arch>.deb and build/tessaline_<version>_<arch>.deb
# and checks both with lintian: any error or warning fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build -DTESSALINE_BUILD_TESTS=OFF
rm -f build/tessaline*.deb
(cd build && cpack -G DEB >/dev/null)
debs=(build/tessaline-cli_*.deb build/tessaline_*.deb)
lintian --fail-on error,warning --tag-display-limit 0 "${debs[@]}"
ls "${debs[@]}"
