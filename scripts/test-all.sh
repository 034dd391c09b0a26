#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# Every test: the normal build, the same suite under AddressSanitizer and UndefinedBehaviorSanitizer,
# the installed programs and their Debian package, the Windows programs under Wine, and the fuzz targets for FUZZ_SECONDS each (default 30).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh test
suites=0
run_suite() { "$@"; suites=$((suites + 1)); }
run_suite cmake --workflow --preset dev
run_suite cmake --workflow --preset asan
run_suite scripts/package-check.sh
run_suite scripts/windows-check.sh
run_suite scripts/fuzz.sh "${FUZZ_SECONDS:-30}"
# set -e has stopped at the first suite that failed, so reaching here means every one passed.
echo "suites: $suites passed, 0 failed"
