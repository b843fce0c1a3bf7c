#!/usr/bin/env bash
# Builds the whole suite with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs it; any failure or sanitizer finding fails the run.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh build-asan -DTESSALINE_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
ctest --test-dir build-asan --output-on-failure -j2 "$@"
