#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
#   scripts/test.sh             the whole suite, core and windows (offscreen)
#   scripts/test.sh --sanitize  the core suites under AddressSanitizer + UndefinedBehaviorSanitizer
#   scripts/test.sh --sanitize-all  every suite, windows included, under the same sanitizers
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

preset=default
case "${1:-}" in
    --sanitize) preset=asan ;;
    --sanitize-all) preset=asan-all ;;
    "") ;;
    *) echo "usage: scripts/test.sh [--sanitize | --sanitize-all]" >&2; exit 2 ;;
esac

lumavane_install_missing
cmake --preset "$preset"
cmake --build --preset "$preset" -j "$(lumavane_jobs)"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/support/lsan.supp}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --preset "$preset" -j "$(lumavane_jobs)"
