#!/bin/sh
# SPDX-License-Identifier: GPL-2.0-or-later
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

# The processors as CPUID shows them on each one, against the kernel's /proc/cpuinfo: how
# many there are, and processor 0's vendor, family, model and stepping (the kernel adds the
# extended family and model in) and its brand string.
cpuinfo_field() { awk -F': *' -v key="$1" '$1 ~ "^" key "[ \t]*$" { print $2; exit }' /proc/cpuinfo; }

check_cpu() {
    if ! has_command cpu; then
        skip "cpu: pendulon-cli has no cpu command yet"
        return
    fi
    json=$($cli --json cpu 2>/tmp/cpu.err)
    status=$?
    if [ $status -ne 0 ] || [ -z "$json" ]; then
        fail "cpu: 'pendulon-cli --json cpu' failed (exit $status): $(oneline "$(cat /tmp/cpu.err)")"
        return
    fi
    same "cpu count against /proc/cpuinfo" "$(grep -c '^processor' /proc/cpuinfo)" "$(echo "$json" | jq -r '.threads')"
    same "cpu vendor, family, model, stepping against /proc/cpuinfo" \
        "$(cpuinfo_field vendor_id) $(cpuinfo_field 'cpu family') $(cpuinfo_field model) $(cpuinfo_field stepping)" \
        "$(echo "$json" | jq -r '"\(.vendor) \(.ext_family) \(.ext_model) \(.stepping)"')"
    brand=$(echo "$json" | jq -r '.brand // empty' | sed 's/ *$//')
    peer=$(cpuinfo_field 'model name')
    # Without a brand string (no leaf 0x80000004) the kernel shows "family/model" instead.
    if [ -z "$brand" ] && echo "$peer" | grep -qE '^[0-9a-f]+/[0-9a-f]+$'; then
        pass "cpu brand: none, and the kernel shows family/model ($peer) instead"
    else
        same "cpu brand against /proc/cpuinfo" "$peer" "$brand"
    fi
}

# The multiplier the processor's family reads, worked out here from the same MSRs read raw,
# with the fall-backs of the family: an MSR the emulator does not implement must fail cleanly
# and leave the next source (or no multiplier at all), never a made-up number. Core 2: the
# SpeedStep status (0x198 bits 8-15, with "est"), else 0x2A bits 22-26. K8 (family 15, no
# FID/VID control): 0xC0010015 bits 24-29 as 4 + FID / 2. Other families: the command only has
# to succeed.
msr_value() {
    v=$($cli raw msr "$1" 2>/dev/null) || return 1
    case $v in '' | *[!0-9a-f]*) echo "?"; return 0 ;; esac  # not a value: caught by the comparison
    echo "$v"
}
check_cpu_multiplier() {
    if ! has_command cpu; then
        skip "cpu multiplier: pendulon-cli has no cpu command yet"
        return
    fi
    json=$($cli --json cpu 2>/tmp/cpu.err)
    status=$?
    if [ $status -ne 0 ] || [ -z "$json" ]; then
        fail "cpu multiplier: 'pendulon-cli --json cpu' failed (exit $status): $(oneline "$(cat /tmp/cpu.err)")"
        return
    fi
    shown=$(echo "$json" | jq -r 'if .multiplier == null then "none" else (.multiplier * 10 | round | tostring) end')
    vendor=$(cpuinfo_field vendor_id)
    family=$(cpuinfo_field 'cpu family')
    model=$(cpuinfo_field model)
    expected=""
    if [ "$vendor" = GenuineIntel ] && [ "$family" = 6 ] && { [ "$model" = 15 ] || [ "$model" = 22 ]; }; then
        expected=none
        if grep -q '^flags.* est' /proc/cpuinfo && v=$(msr_value 198) && [ "$v" != "?" ] &&
            [ $(((0x$v >> 8) & 0xff)) -gt 0 ]; then
            expected=$((((0x$v >> 8) & 0xff) * 10))
        elif v=$(msr_value 2a); then
            expected="?"
            [ "$v" = "?" ] || expected=$((((0x$v >> 22) & 31) * 10))
            [ "$expected" != 0 ] || expected=none
        fi
    elif [ "$vendor" = AuthenticAMD ] && [ "$family" = 15 ] && ! grep -q '^power management:.*[fv]id' /proc/cpuinfo; then
        expected=none
        if v=$(msr_value c0010015); then
            expected="?"
            [ "$v" = "?" ] || expected=$((40 + ((0x$v >> 24) & 63) * 5))
        fi
    fi
    if [ -z "$expected" ]; then
        case $shown in
        none | [1-9]*) pass "cpu multiplier of this family: $shown/10 (the command succeeded)" ;;
        *) fail "cpu multiplier: not a multiplier: $(oneline "$shown")" ;;
        esac
        return
    fi
    same "cpu multiplier (x10) against the MSRs read raw" "$expected" "$shown"
}

# The SMBus: pendulon-cli drives the controller with no kernel driver bound, then the kernel's
# driver is loaded and i2c-tools read the same devices. The SPD EEPROM at 0x50 first gets a
# pattern of every byte value (QEMU's EEPROMs start as zeros, which would hide a wrong offset
# or a wrong device). What pendulon-cli printed stays in /tmp/smbus/ and is shown on a failure.
smbus_modules="i2c-i801 i2c-piix4"
smbus_dir=/tmp/smbus

# Loads a packed module by name; the ones it needs were loaded at boot.
load_module() {
    path=$(grep -E "/$1\.ko" /etc/vm-modules | head -n1)
    [ -n "$path" ] && { lsmod | grep -q "^$(echo "$1" | tr - _) " || insmod "/lib/modules/$(uname -r)/$path"; }
}

# The kernel module bound to PCI function $1 (i2c_i801), empty when none is.
bound_module() {
    link=$(readlink "/sys/bus/pci/devices/0000:$1/driver/module" 2>/dev/null) && basename "$link"
}

# Runs a program of i2c-tools. Busybox's shell runs its own applets of these names (which
# differ in what they parse and print) before anything on the PATH, so the program is called by
# its path.
i2c_tool() {
    for dir in /usr/sbin /usr/bin /sbin /bin; do
        if [ -x "$dir/$1" ] && [ ! -L "$dir/$1" ]; then
            tool=$dir/$1
            shift
            "$tool" "$@"
            return
        fi
    done
    echo "no $1 of i2c-tools in the initramfs" >&2
    return 127
}

# The i2c bus number i2cdetect -l gives the adapter of PCI function $1.
smbus_bus() {
    for adapter in $(i2c_tool i2cdetect -l 2>/dev/null | cut -f1); do
        if [ "$(readlink -f "/sys/bus/i2c/devices/$adapter/..")" = "$(readlink -f "/sys/bus/pci/devices/0000:$1")" ]; then
            echo "${adapter#i2c-}"
            return
        fi
    done
}

# The pattern of register N of the EEPROM: all 256 values, each once.
pattern() { echo $((($1 * 7 + 0x21) & 0xff)); }

# The address cells of an i2cdetect grid, one a line.
grid_addresses() { sed -n 's/^[0-7]0: //p' | tr -s ' ' '\n' | grep -E '^[0-9a-f]{2}$'; }

# The hexadecimal cells of an i2cdump layout: the row label and 16 cells, without the text.
dump_rows() { grep -E '^[0-9a-f]0: ' | cut -c1-51; }

# same_shown NAME PEER_FILE OURS_FILE: as same, and on a failure both outputs in full.
same_shown() {
    result=$(same "$1" "$(cat "$2")" "$(cat "$3")")
    echo "$result"
    case $result in
    FAIL*)
        sed 's/^/    peer| /' "$2"
        sed 's/^/    ours| /' "$3"
        ;;
    esac
}

# In a subshell: it works in its own directory.
check_smbus() (
    if ! has_command smbus; then
        skip "smbus: pendulon-cli has no smbus command yet"
        return
    fi
    rm -rf "$smbus_dir"
    mkdir -p "$smbus_dir"
    cd "$smbus_dir" || return

    # The controller is the PCI function the kernel's driver hangs its adapter on (the PIIX4's
    # is the power management function, class 0680, not an SMBus one).
    for module in $smbus_modules i2c-dev; do load_module "$module" 2>/dev/null; done
    slot=$(ls -d /sys/bus/pci/devices/*/i2c-* 2>/dev/null | head -n1 | sed 's|.*/0000:\([^/]*\)/i2c-.*|\1|')
    if [ -z "$slot" ]; then
        fail "smbus: none of $smbus_modules drives a controller of this machine"
        return
    fi
    bus=$(smbus_bus "$slot")
    module=$(bound_module "$slot")
    if [ -z "$bus" ] || [ -z "$module" ]; then
        fail "smbus: no kernel driver of $smbus_modules takes $slot (bus '$bus', module '$module')"
        return
    fi
    # Busybox's i2cset writes the pattern: it starts much faster than i2c-tools' under the
    # emulator, and i2cdump shows below whether the pattern arrived.
    register=0
    while [ $register -lt 256 ]; do
        word=$(($(pattern $register) | $(pattern $((register + 1))) << 8))
        if ! busybox i2cset -y "$bus" 0x50 "$(printf '0x%02x' $register)" "$(printf '0x%04x' $word)" w 2>i2cset.err; then
            fail "smbus: i2cset cannot write register $register of the EEPROM at 0x50: $(oneline "$(cat i2cset.err)")"
            return
        fi
        register=$((register + 2))
    done

    # pendulon-cli alone on the controller.
    rmmod "$module" 2>/dev/null
    if [ -n "$(bound_module "$slot")" ]; then
        fail "smbus: $module stays bound to $slot after rmmod"
        return
    fi
    $cli smbus list >list.ours 2>&1
    $cli smbus scan >scan.ours 2>&1
    $cli --json smbus scan 2>&1 | jq -r '.addresses[]' 2>&1 | awk '{ printf "%02x\n", $1 }' >scan-set.ours
    $cli smbus get 0x50 0 b >get.ours 2>&1
    $cli smbus get 0x50 0x11 w >get-word.ours 2>&1
    $cli smbus get 0x50 0x21 s >get-block.ours 2>&1
    $cli smbus dump 0x50 b >dump.ours 2>&1

    # The kernel's driver and i2c-tools on the same machine.
    load_module "$(echo "$module" | tr _ -)"
    bus=$(smbus_bus "$slot")
    module=$(bound_module "$slot")
    if [ -z "$bus" ] || [ -z "$module" ]; then
        fail "smbus: the kernel driver does not take $slot again (bus '$bus', module '$module')"
        return
    fi
    i2c_tool i2cdetect -l | awk -F '\t' -v a="i2c-$bus" '$1 == a { print $3 }' |
        sed -n 's/.* at \([0-9a-f]*\).*/base 0x\1/p' >list.peer
    # i2cdetect leaves out 0x03 to 0x07 unless given -a; pendulon-cli scans 0x03 to 0x77.
    i2c_tool i2cdetect -y -a "$bus" 0x03 0x77 >scan.peer 2>&1
    grid_addresses <scan.peer >scan-set.peer
    i2c_tool i2cget -y "$bus" 0x50 0 b >get.peer 2>&1
    i2c_tool i2cget -y "$bus" 0x50 0x11 w >get-word.peer 2>&1
    i2c_tool i2cget -y "$bus" 0x50 0x21 s >get-block.peer 2>&1
    i2c_tool i2cdump -y "$bus" 0x50 b >dump.peer 2>/dev/null
    dump_rows <dump.peer >dump-rows.peer
    dump_rows <dump.ours >dump-rows.ours
    # The rows i2cdump shows when the pattern arrived (the formula of pattern()).
    awk 'BEGIN { for (r = 0; r < 256; r += 16) { printf "%02x:", r; for (i = r; i < r + 16; i++) printf " %02x", (i * 7 + 33) % 256; print "" } }' >dump-rows.written
    if ! cmp -s dump-rows.written dump-rows.peer; then
        fail "smbus: i2cdump does not show the pattern written to the EEPROM at 0x50"
        sed 's/^/    peer| /' dump.peer
    fi
    cut -f3 list.ours >list-base.ours

    same_shown "smbus list: the controller's I/O base against the kernel driver's (i2c-$bus)" list.peer list-base.ours
    same_shown "smbus scan: the answering addresses (--json) against i2cdetect -y -a $bus 0x03 0x77" scan-set.peer scan-set.ours
    same_shown "smbus scan against i2cdetect -y -a $bus 0x03 0x77" scan.peer scan.ours
    same_shown "smbus get 0x50 0 b against i2cget" get.peer get.ours
    same_shown "smbus get 0x50 0x11 w against i2cget" get-word.peer get-word.ours
    # A block read: the EEPROM sends the byte at the command (pattern 0x21 = 8) as the count,
    # then the eight after it. The two programs space the bytes alike but may end the line
    # differently, so both are compared word by word.
    xargs <get-block.peer >get-block-words.peer
    xargs <get-block.ours >get-block-words.ours
    same_shown "smbus get 0x50 0x21 s (an SMBus block) against i2cget" get-block-words.peer get-block-words.ours
    same_shown "smbus dump 0x50 b: the bytes against i2cdump -y $bus 0x50 b" dump-rows.peer dump-rows.ours
    same_shown "smbus dump 0x50 b against i2cdump -y $bus 0x50 b" dump.peer dump.ours

    # With the kernel's driver bound pendulon-cli leaves the controller alone and names the
    # module to unload; --force lets it read beside the driver.
    $cli smbus scan >refused.out 2>refused.err
    status=$?
    if [ $status -eq 0 ] || [ -s refused.out ] || ! grep -q "$module" refused.err; then
        fail "smbus scan beside $module: exit $status, printed '$(oneline "$(cat refused.out)")', said '$(oneline "$(cat refused.err)")'"
    else
        pass "smbus scan refuses the controller while $module drives it: $(oneline "$(cat refused.err)" | cut -c1-120)"
    fi
    $cli --force smbus get 0x50 0 b >forced.ours 2>&1
    same_shown "smbus --force get 0x50 0 b beside $module against i2cget" get.peer forced.ours
)

# VM_CHECKS names a subset (e.g. "cpu cpu_multiplier" for the runs with other processors).
if [ -n "${VM_CHECKS:-}" ]; then
    for name in $VM_CHECKS; do "check_$name"; done
    exit 0
fi
check_pci_registers
check_pci_list
check_chipset
check_pci_bytes
check_dmi_strings
check_acpi
check_ports_against_devport
check_memory
check_msr
check_cpu
check_cpu_multiplier
check_smbus
exit 0
