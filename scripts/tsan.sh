#!/usr/bin/env bash
# Builds the link tests and the sender tests under ThreadSanitizer (build-tsan/) and runs
# them; a data race fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

lumavane_install_missing
cmake --preset tsan
cmake --build --preset tsan -j "$(lumavane_jobs)" --target test_links test_sign test_fleet
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}
build-tsan/bin/test_links --gtest_brief=1
build-tsan/bin/test_sign --gtest_brief=1 --gtest_filter='Transmit*:Sign/*'
build-tsan/bin/test_fleet --gtest_brief=1 --gtest_filter='MultiSend*'
