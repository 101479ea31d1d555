#!/bin/sh
# Runs inside the test VM (busybox sh, as root on the emulated machine): holds what
# pendulon-cli reads against the standard tools on the same machine. One line per check:
#   PASS name
#   FAIL name: what differed
#   SKIP name: why it could not run (a command pendulon-cli does not have yet)
# Checks of commands that are not there yet are skipped; everything else must pass.
cli=${PENDULON_CLI:-pendulon-cli}

pass() { echo "PASS $*"; }
fail() { echo "FAIL $*"; }
skip() { echo "SKIP $*"; }

# A multi-line text on one line, cut to a readable length.
oneline() { printf '%s' "$1" | tr '\n' '|' | cut -c1-240; }

# same NAME PEER OURS: the peer must have printed something, and exactly what pendulon-cli did.
# A failure names the first line that differs.
same() {
    if [ -z "$2" ]; then
        fail "$1: the peer printed nothing"
    elif [ "$2" = "$3" ]; then
        pass "$1"
    else
        printf '%s\n' "$2" >/tmp/same.peer
        printf '%s\n' "$3" >/tmp/same.ours
        fail "$1: $(awk 'NR == FNR { peer[FNR] = $0; n = FNR; next }
            peer[FNR] != $0 { printf "line %d: pendulon-cli \047%s\047, peer \047%s\047", FNR, $0, peer[FNR]; found = 1; exit }
            END { if (!found) printf "pendulon-cli printed %d lines, the peer %d", FNR, n }' \
            /tmp/same.peer /tmp/same.ours | cut -c1-300)"
    fi
}

# Whether pendulon-cli lists the command NAME (and, when given, the flag FLAG in its help).
has_command() {
    $cli --help 2>&1 | sed -n '/^Subcommands:/,$p' | grep -qE "^ +$1( |\$)" || return 1
    [ -z "$2" ] || $cli "$1" --help 2>&1 | grep -q -- "$2"
}

# The chipset identification names the bridges lspci shows: the north bridge at 00:00.0 and
# the south bridge, the ISA (LPC) bridge of class 0601; both named from the tables.
check_chipset() {
    if ! has_command chipset; then
        skip "chipset: pendulon-cli has no chipset command yet"
        return
    fi
    json=$($cli --json chipset 2>&1)
    north=$(printf '%s' "$json" | jq -r '.north_bridges[0] | "\(.location) \(.id) \(.vendor) \(.model)"')
    south=$(printf '%s' "$json" | jq -r '.south_bridge | "\(.location) \(.id) \(.vendor) \(.model)"')
    chipset_bridge north "$(lspci -n -s 00:00.0 | awk '{print $1, $3}')" "$north"
    chipset_bridge south "$(lspci -n | awk '$2 == "0601:" {print $1, $3; exit}')" "$south"
}

# chipset_bridge ROLE "LOCATION ID" (lspci) "LOCATION ID VENDOR MODEL" (pendulon-cli): the ids
# must be lspci's, and the name one from the tables (not the "ID%04X" of an unknown id).
chipset_bridge() {
    ours=$(echo "$3" | awk '{print $1, $2}')
    name=$(echo "$3" | cut -d' ' -f3-)
    same "chipset $1 bridge ids against lspci" "$2" "$ours"
    if [ -z "$2" ] || [ "$2" != "$ours" ]; then
        fail "chipset $1 bridge name: the ids differ from lspci's"
        return
    fi
    case "$name" in
        ""|null*|*ID[0-9A-F][0-9A-F][0-9A-F][0-9A-F]*) fail "chipset $1 bridge $ours: not named from the tables ('$name')" ;;
        *) pass "chipset $1 bridge $ours named $name" ;;
    esac
}

# pendulon-cli's raw reads of several registers of one function, one value a line.
cli_pci_registers() {
    slot=$1
    shift
    for reg in "$@"; do
        $cli raw pci "$slot" "$reg" 2>&1 || echo "(exit $?)"
    done
}

check_pci_registers() {
    slots=$(lspci -n | cut -d' ' -f1)
    if [ -z "$slots" ]; then
        fail "raw pci: lspci lists no PCI function"
        return
    fi
    dwords="0.l 4.l 8.l c.l 10.l 14.l 18.l 1c.l 20.l 24.l 28.l 2c.l 30.l 34.l 38.l 3c.l"
    parts="0.w 2.w 4.w 8.b 9.b a.w b.b e.b 2e.w 3c.b 3d.b 3f.b"
    for slot in $slots; do
        # shellcheck disable=SC2086
        same "raw pci $slot header dwords 00-3c" "$(setpci -s "$slot" $dwords)" "$(cli_pci_registers "$slot" $dwords)"
        # shellcheck disable=SC2086
        same "raw pci $slot bytes and words" "$(setpci -s "$slot" $parts)" "$(cli_pci_registers "$slot" $parts)"
    done
    # A device number no function answers on: the read through the ports gives all ones.
    device=0
    while [ $device -lt 32 ] && echo "$slots" | grep -q "^00:$(printf '%02x' $device)\."; do
        device=$((device + 1))
    done
    if [ $device -lt 32 ]; then
        slot=$(printf '00:%02x.0' $device)
        same "raw pci $slot (no device there) reads all ones" "ffffffff" "$($cli raw pci "$slot" 0.l 2>&1)"
    fi
}

check_pci_list() {
    if ! has_command pci; then
        skip "pci --ids-only: pendulon-cli has no pci command yet"
    elif ! has_command pci --ids-only; then
        fail "pci --ids-only: 'pendulon-cli pci --help' names no --ids-only flag (adapt tests/vm/checks.sh)"
    else
        same "pci --ids-only against lspci -n" "$(lspci -n)" "$($cli pci --ids-only 2>&1)"
    fi
}

# The slot of each function and its configuration bytes in lspci -xxx's lines ("00: 86 80 ...").
config_bytes() { sed -n -e 's/^\([0-9a-f]\{2\}:[0-9a-f]\{2\}\.[0-7]\) .*/\1/p' -e '/^[0-9a-f]0: /p'; }

check_pci_bytes() {
    if ! has_command pci; then
        skip "pci --hex: pendulon-cli has no pci command yet"
    elif ! has_command pci --hex; then
        fail "pci --hex: 'pendulon-cli pci --help' names no --hex flag (adapt tests/vm/checks.sh)"
    else
        same "pci --hex configuration bytes against lspci -xxx" "$(lspci -xxx | config_bytes)" \
            "$($cli pci --hex 2>&1 | config_bytes)"
    fi
}

check_dmi_strings() {
    if ! has_command dmi; then
        skip "dmi --string: pendulon-cli has no dmi command yet"
        return
    fi
    if ! has_command dmi --string; then
        fail "dmi --string: 'pendulon-cli dmi --help' names no --string option (adapt tests/vm/checks.sh)"
        return
    fi
    for keyword in bios-vendor bios-version system-manufacturer system-product-name processor-version; do
        same "dmi --string $keyword" "$(dmidecode -s "$keyword")" "$($cli dmi --string "$keyword" 2>&1)"
    done
}

# The firmware's fixed ACPI description table, and an unsigned little-endian field of it.
fadt_file() {
    if [ -r /sys/firmware/acpi/tables/FACP ]; then
        echo /sys/firmware/acpi/tables/FACP
    elif (cd /tmp && acpidump -n FACP -b >/dev/null 2>&1) && [ -r /tmp/facp.dat ]; then
        echo /tmp/facp.dat
    fi
}
fadt_field() { od -An -tu"$3" -j"$2" -N"$3" "$1" | tr -d ' '; }

check_acpi() {
    fadt=$(fadt_file)
    if [ -z "$fadt" ]; then
        fail "acpi: neither /sys/firmware/acpi/tables/FACP nor acpidump gives the FADT"
        return
    fi
    port=$(fadt_field "$fadt" 76 4)
    revision=$(fadt_field "$fadt" 8 1)
    length=$(fadt_field "$fadt" 4 4)
    if [ "$port" -eq 0 ]; then
        fail "acpi: the FADT of this machine has no PM timer block"
        return
    fi
    check_pm_timer_port "$port"
    if ! has_command acpi; then
        skip "acpi PM timer: pendulon-cli has no acpi command yet"
        return
    fi
    json=$($cli --json acpi 2>/tmp/acpi.err)
    status=$?
    if [ $status -ne 0 ] || [ -z "$json" ]; then
        fail "acpi: 'pendulon-cli --json acpi' failed (exit $status): $(oneline "$(cat /tmp/acpi.err)")"
        return
    fi
    # jq prints "null" for what the document lacks: that never equals the peer's numbers.
    same "acpi FADT revision, length and PM timer block against the kernel's copy" \
        "$revision $length $port" "$(echo "$json" | jq -r '"\(.fadt.revision) \(.fadt.length) \(.fadt.pm_timer_block)"')"
    if [ "$revision" -ge 3 ] && [ "$length" -ge 304 ]; then
        # A newer FADT: the program takes no PM timer from it.
        same "acpi no PM timer from a FADT of revision $revision, $length bytes" "null" "$(echo "$json" | jq -r '.pm_timer.port')"
        return
    fi
    same "acpi PM timer port against the FADT" "$port" "$(echo "$json" | jq -r '.pm_timer.port')"
    measured=$(echo "$json" | jq -r '.pm_timer.measured')
    frequency=$(echo "$json" | jq -r '.pm_timer.frequency_hz')
    if [ "$measured" != true ]; then
        fail "acpi PM timer frequency: not measured ('$frequency' Hz, measured: $measured)"
    elif awk -v f="$frequency" 'BEGIN { d = f - 3579545; if (d < 0) d = -d; exit !(d <= 3579545 * 0.005) }'; then
        pass "acpi PM timer frequency $frequency Hz within 0.5% of 3579545 Hz"
    else
        fail "acpi PM timer frequency: $frequency Hz is not within 0.5% of 3579545 Hz"
    fi
}

# The PM timer counts on: two reads of its port differ.
check_pm_timer_port() {
    reg=$(printf '%x.l' "$1")
    first=$($cli raw port "$reg" 2>&1)
    second=$($cli raw port "$reg" 2>&1)
    case "$first$second" in
    *[!0-9a-f]*) fail "raw port $reg (PM timer): '$(oneline "$first $second")'" ;;
    *)
        if [ $(((0x$second - 0x$first) & 0xffffff)) -ne 0 ]; then
            pass "raw port $reg (PM timer) advances: $first then $second"
        else
            fail "raw port $reg (PM timer) stands still at $first"
        fi
        ;;
    esac
}

# Ports that hold their value (the low bytes of the ACPI PM1a control and enable registers)
# read as /dev/port reads them: a byte at a time, so only byte reads are compared.
check_ports_against_devport() {
    fadt=$(fadt_file)
    [ -n "$fadt" ] || return
    control=$(fadt_field "$fadt" 64 4)
    event=$(fadt_field "$fadt" 56 4)
    event_length=$(fadt_field "$fadt" 88 1)
    for port in $control $((event + event_length / 2)); do
        [ "$port" -ne 0 ] || continue
        reg=$(printf '%x.b' "$port")
        peer=$(dd if=/dev/port bs=1 count=1 iflag=skip_bytes skip="$port" 2>/dev/null | od -An -tx1 | tr -d ' ')
        same "raw port $reg against /dev/port" "$peer" "$($cli raw port "$reg" 2>&1)"
    done
}

# The bytes of a dump of pendulon-cli's raw mem (address, hex bytes, |text|), one a line.
dump_bytes() { sed -e 's/^[0-9a-f]*  *//' -e 's/ *|.*$//' | tr -s ' ' '\n' | grep .; }

check_memory() {
    for range in "f0000 10" "f0004 1d" "e0000 20000"; do
        set -- $range
        dd if=/dev/mem bs=4096 iflag=skip_bytes,count_bytes skip=$((0x$1)) count=$((0x$2)) 2>/dev/null |
            od -An -tx1 -v | tr -s ' ' '\n' | grep . >/tmp/mem.peer
        $cli raw mem "$1" "$2" 2>&1 | dump_bytes >/tmp/mem.ours
        if [ "$(wc -l </tmp/mem.peer)" -ne $((0x$2)) ]; then
            fail "raw mem $1 $2: /dev/mem gave $(wc -l </tmp/mem.peer) of $((0x$2)) bytes"
        elif cmp -s /tmp/mem.peer /tmp/mem.ours; then
            pass "raw mem $1 $2 against /dev/mem"
        else
            fail "raw mem $1 $2 against /dev/mem: $(cmp /tmp/mem.peer /tmp/mem.ours 2>&1 | head -n1) (line = byte + 1)"
        fi
    done
}

check_msr() {
    if [ ! -c /dev/cpu/0/msr ]; then
        skip "raw msr: no /dev/cpu/0/msr (msr module not loaded)"
        return
    fi
    # The local APIC base and the extended features: both stay as the kernel set them.
    for index in 1b c0000080; do
        peer=$(dd if=/dev/cpu/0/msr bs=8 count=1 iflag=skip_bytes skip=$((0x$index)) 2>/dev/null | od -An -tx8 | tr -d ' ')
        same "raw msr $index against /dev/cpu/0/msr" "$peer" "$($cli raw msr "$index" 2>&1)"
    done
}

check_pci_registers
check_pci_list
check_chipset
check_pci_bytes
check_dmi_strings
check_acpi
check_ports_against_devport
check_memory
check_msr
exit 0
