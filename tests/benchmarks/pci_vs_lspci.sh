#!/bin/sh
# Whole-process time of `pendulon-cli pci --ids-only` against `lspci -n` on this machine:
# each is run N times (default 20) and the ratio of the two totals is printed.
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

run() {
    start=$(now_ns)
    i=0
    while [ "$i" -lt "$N" ]; do
        "$@" >/dev/null 2>&1
        i=$((i + 1))
    done
    echo $(( $(now_ns) - start ))
}

cli_ns=$(run "$CLI" pci --ids-only)
lspci_ns=$(run lspci -n)

awk -v c="$cli_ns" -v l="$lspci_ns" -v n="$N" 'BEGIN {
    printf "pendulon-cli pci --ids-only: %.2f ms per run\n", c / n / 1e6
    printf "lspci -n:                    %.2f ms per run\n", l / n / 1e6
    printf "ratio:                       %.2f\n", (l > 0 ? c / l : 0)
}'
