#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan + UBSan) and runs each for a short fixed time
# on a copy of its seed corpus in a temporary directory; the repository's corpus never grows.
# A crash or a failed invariant fails the run; the input that caused it is kept in the
# temporary directory, whose path is printed.
#   scripts/fuzz.sh [SECONDS_PER_TARGET]   (default 15)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

seconds=${1:-15}
targets=(block_line message_file profile store stream_decoder)

lumavane_install_missing clang libclang-rt-14-dev
cmake --preset fuzz
cmake --build --preset fuzz -j "$(lumavane_jobs)"

work=$(mktemp -d /tmp/lumavane-fuzz.XXXXXX)
failed=()
for t in "${targets[@]}"; do
    mkdir -p "$work/$t/corpus" "$work/$t/artifacts"
    cp fuzz/corpus/"$t"/* "$work/$t/corpus/"
    echo "== fuzz_$t: ${seconds}s"
    if ! ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        build-fuzz/bin/fuzz_"$t" -seed=1 -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=1024 \
        -print_final_stats=1 -artifact_prefix="$work/$t/artifacts/" "$work/$t/corpus" \
        >"$work/$t/log" 2>&1; then
        failed+=("$t")
        tail -n 60 "$work/$t/log"
    fi
    grep -E "^#[0-9]+[[:space:]]+DONE" "$work/$t/log" || true
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "Fuzzing failed for: ${failed[*]} (inputs and logs in $work)" >&2
    exit 1
fi
rm -rf "$work"
echo "Every fuzz target ran ${seconds}s without a failure."
