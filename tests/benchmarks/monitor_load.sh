#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The share of one core the once-a-second refresh of the measurements takes on this machine:
# `pendulon-cli monitor` runs for N refreshes (default 10) and for one; the difference of their
# processor times over the difference of their run times is printed (the target is at most 1%).
# Needs root (the processors' counters are read on this machine, not on a simulated board).
# usage: monitor_load.sh [PENDULON_CLI] [N]
set -eu

CLI=${1:-build/pendulon-cli}
N=${2:-10}
case $N in
    ''|*[!0-9]*|0|1) echo "N must be a whole number above 1" >&2; exit 2 ;;
esac
if [ ! -x "$CLI" ]; then
    echo "no pendulon-cli at $CLI" >&2
    exit 2
fi

# run COUNT: prints "wall user system" (seconds) of one monitor run.
run() {
    local TIMEFORMAT='%R %U %S'
    { time "$CLI" monitor --count "$1" >/dev/null 2>/tmp/monitor_load.$$ || {
        cat /tmp/monitor_load.$$ >&2; echo "pendulon-cli monitor failed" >&2; exit 1; }; } 2>&1
    rm -f /tmp/monitor_load.$$
}

one=$(run 1)
many=$(run "$N")
echo "$one $many" | awk -v n="$N" '{
    wall = $4 - $1; cpu = ($5 + $6) - ($2 + $3)
    printf "refreshes:        %d (against 1)\n", n
    printf "processor time:   %.3f s over %.2f s\n", cpu, wall
    printf "share of a core:  %.2f%%\n", (wall > 0 ? 100 * cpu / wall : 0)
}'
