#!/usr/bin/env bash
# Installs what is missing, builds the editor and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

lumavane_install_missing
cmake --preset default >/dev/null
cmake --build build --target lumavane -j "$(lumavane_jobs)"
exec ./build/bin/lumavane "$@"
