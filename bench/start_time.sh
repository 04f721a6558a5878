#!/bin/bash
# Start-up as a user waits for it: from starting the program to its window on the screen, on a
# real X server with a window manager. Measures, alternately and N times each (default 9), a
# bare QMainWindow with a menu bar, the editor with no file, and the editor opening a message of
# 100,000 lines; prints the medians and the editor's ratios to the bare window.
#   bench/start_time.sh [BUILD_DIR] [N]
# Uses $DISPLAY when set; otherwise starts Xvfb with openbox on a free display. Settings and
# state go to a temporary directory.
set -euo pipefail
build=$(realpath "${1:-build}")
rounds=${2:-9}
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

if [ -z "${DISPLAY:-}" ]; then
    for n in $(seq 90 120); do [ -e /tmp/.X11-unix/X$n ] || break; done
    Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    export DISPLAY=:$n
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    openbox >/dev/null 2>&1 &
    sleep 1
fi
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state XDG_DATA_HOME=$work/data
mkdir -p "$XDG_CONFIG_HOME" "$XDG_STATE_HOME" "$XDG_DATA_HOME"

# 100,000 block lines, about 8 MB.
awk 'BEGIN { for (i = 0; i < 100000; i++)
    printf "Centered,^R^LINE %d ^G^GREEN ^Y^YELLOW ^F^FLASHING^F^ STEADY TEXT\r\n", i }' \
    >"$work/large.lsm"

# Milliseconds from starting "$@" to a visible window whose title holds $1.
mapped_ms() {
    local title=$1
    shift
    local begin end
    begin=$(date +%s%N)
    "$@" >/dev/null 2>&1 &
    local pid=$!
    until xdotool search --onlyvisible --name "$title" >/dev/null 2>&1; do sleep 0.005; done
    end=$(date +%s%N)
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo $(((end - begin) / 1000000))
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

: >"$work/bare"; : >"$work/empty"; : >"$work/large"
for _ in $(seq "$rounds"); do
    mapped_ms "Bare main window" "$build/bin/bare_window" >>"$work/bare"
    mapped_ms "Lumavane Message Editor" "$build/bin/lumavane" >>"$work/empty"
    mapped_ms "large.lsm" "$build/bin/lumavane" "$work/large.lsm" >>"$work/large"
done
bare=$(median <"$work/bare")
empty=$(median <"$work/empty")
large=$(median <"$work/large")
echo "bare window: ${bare} ms; editor: ${empty} ms; editor with 100,000 lines: ${large} ms"
awk -v b="$bare" -v e="$empty" -v l="$large" \
    'BEGIN { printf "editor / bare: %.2f; with 100,000 lines / bare: %.2f; the file adds %d ms\n",
             e / b, l / b, l - e }'
