#!/bin/sh
# SPDX-License-Identifier: GPL-2.0-or-later
# Whole-process time of `pendulon-cli pci --ids-only` against `lspci -n` on this machine:
# each is run N times (default 20), in turns, and the ratio of their median runs is printed
# (the target is at most 0.80: both read the same headers, and pendulon-cli starts leaner).
# usage: pci_vs_lspci.sh [PENDULON_CLI] [N]
set -eu

CLI=${1:-build/pendulon-cli}
N=${2:-20}

if ! command -v lspci >/dev/null 2>&1; then
    echo "lspci is not installed (pciutils)" >&2
    exit 2
fi
if [ ! -x "$CLI" ]; then
    echo "no pendulon-cli at $CLI" >&2
    exit 2
fi
case $N in
    ''|*[!0-9]*|0) echo "N must be a positive whole number" >&2; exit 2 ;;
esac

# Both must list the same functions before their times mean anything.
if ! "$CLI" pci --ids-only >/tmp/pci_vs_lspci.$$ 2>&1; then
    cat /tmp/pci_vs_lspci.$$ >&2
    rm -f /tmp/pci_vs_lspci.$$
    exit 1
fi
if ! lspci -n 2>/dev/null | diff -q - /tmp/pci_vs_lspci.$$ >/dev/null; then
    echo "note: the lists differ (lspci also shows buses above 15)" >&2
fi
rm -f /tmp/pci_vs_lspci.$$

now_ns() { date +%s%N; }

# One run's time in nanoseconds.
time_one() {
    start=$(now_ns)
    "$@" >/dev/null 2>&1 || true
    echo $(( $(now_ns) - start ))
}

# The two programs take turns, so a burst of other work on the machine falls on both alike,
# and each one's median run is compared: a single slow run moves neither.
times=$(mktemp)
i=0
while [ "$i" -lt "$N" ]; do
    echo "cli $(time_one "$CLI" pci --ids-only)" >>"$times"
    echo "lspci $(time_one lspci -n)" >>"$times"
    i=$((i + 1))
done

median() { awk -v k="$1" '$1 == k { print $2 }' "$times" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
cli_ns=$(median cli)
lspci_ns=$(median lspci)
rm -f "$times"

awk -v c="$cli_ns" -v l="$lspci_ns" 'BEGIN {
    printf "pendulon-cli pci --ids-only: %.2f ms per run (median)\n", c / 1e6
    printf "lspci -n:                    %.2f ms per run (median)\n", l / 1e6
    printf "ratio:                       %.2f\n", (l > 0 ? c / l : 0)
}'
