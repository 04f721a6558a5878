#!/usr/bin/env bash
# Fails, naming the files, when a C++ file of the repository is not as clang-format (the repo's
# .clang-format) would write it. `clang-format -i FILE` mends one.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

lumavane_install_missing clang-format
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/lumavane-format.$$; then
    grep -oE '^[^: ]+\.(cpp|h):[0-9]+:[0-9]+: error' /tmp/lumavane-format.$$ | cut -d: -f1 | sort -u | sed 's/^/not formatted: /' >&2
    rm -f /tmp/lumavane-format.$$
    exit 1
fi
rm -f /tmp/lumavane-format.$$
echo "${#files[@]} C++ files formatted as .clang-format says"
