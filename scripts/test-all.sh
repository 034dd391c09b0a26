#!/usr/bin/env bash
# Every test: the normal build, the same suite under AddressSanitizer and UndefinedBehaviorSanitizer,
# the installed programs and their Debian package, the Windows programs under Wine, and the fuzz targets for FUZZ_SECONDS each (default 30).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --workflow --preset dev
cmake --workflow --preset asan
scripts/package-check.sh
scripts/windows-check.sh
scripts/fuzz.sh "${FUZZ_SECONDS:-30}"
