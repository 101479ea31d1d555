#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# The windows as a person uses them: the real pendulon on the demo board under Xvfb, driven
# with xdotool. It clicks each button of the main panel and sees the window of that caption
# appear, moves a window near another's edge and the screen's and sees it land on the edge,
# drags the Clocks panel, starts a second pendulon, ends the program with SIGTERM, reads the
# placements back from the settings file and sees them taken back at the next start. It also
# prints the startup time and the idle load and memory with every window open, and leaves
# screenshots in the output directory.
#
# usage: windows.sh PENDULON OUTPUT_DIR
# Exit status 0 when every check holds, 1 when one fails, 77 when this host cannot run it.
set -uo pipefail

program=$(realpath "$1")
out=$(mkdir -p "$2" && realpath "$2")

for tool in Xvfb xdotool import convert dbus-daemon; do
    command -v "$tool" >/dev/null || { echo "e2e: skipped: $tool is not installed"; exit 77; }
done

tmp=$(mktemp -d)
failures=0
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT

fail() { echo "e2e: FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "e2e: ok: $*"; }

# A display of its own (Xvfb picks a free number) and a session bus of its own.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.05; done
[ -s "$tmp/display" ] || { cat "$tmp/xvfb.log"; echo "e2e: skipped: Xvfb did not start"; exit 77; }
export DISPLAY=":$(cat "$tmp/display")"
dbus-daemon --session --address="unix:path=$tmp/bus" --nofork --print-pid=1 >"$tmp/dbus.pid" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -S "$tmp/bus" ] && break; sleep 0.05; done
[ -S "$tmp/bus" ] || { echo "e2e: skipped: the session bus did not start"; exit 77; }
export DBUS_SESSION_BUS_ADDRESS="unix:path=$tmp/bus"

mkdir -p "$tmp/work/boards/demo" "$tmp/run"
chmod 700 "$tmp/run"
export PENDULON_WORKDIR="$tmp/work" PENDULON_RUNTIME_DIR="$tmp/run" XDG_RUNTIME_DIR="$tmp/run"
export PENDULON_SYSTEMD_DIR="$tmp/systemd"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
settings="$tmp/work/boards/demo/pendulon.ini"
printf '[Pendulon]\nPLL=01951462\n' >"$settings"

# Starts pendulon on the demo board and waits for its main window.
start_pendulon() {
    PENDULON_STARTUP_TIMING=1 "$program" --board demo >"$tmp/pendulon.log" 2>&1 &
    pendulon_pid=$!
    pids+=("$pendulon_pid")
    for _ in $(seq 200); do
        grep -q "main window on screen" "$tmp/pendulon.log" && return 0
        kill -0 "$pendulon_pid" 2>/dev/null || break
        sleep 0.05
    done
    cat "$tmp/pendulon.log"
    return 1
}

# Ends it as SIGTERM does and sees it end well.
stop_pendulon() {
    kill -TERM "$pendulon_pid"
    local status=0
    wait "$pendulon_pid" || status=$?
    [ "$status" -eq 0 ] && ok "SIGTERM ends pendulon with status 0" || fail "pendulon ended with status $status"
}

# The visible window of exactly this caption ("" when there is none).
window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
count_windows() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l; }
wait_window() {
    local id=""
    for _ in $(seq 100); do
        id=$(window "$1")
        [ -n "$id" ] && break
        sleep 0.05
    done
    echo "$id"
}
# x y width height of a window.
geometry() {
    xdotool getwindowgeometry --shell "$1" | awk -F= '/^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2}
        END {print x, y, w, h}'
}
# The edges a moving window snaps to: the other windows' (x or y) and the screen's.
edges() {
    local axis=$1 moving=$2 id g
    echo 0 $((axis == 0 ? 1280 : 1024))
    for id in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
        [ "$id" = "$moving" ] && continue
        g=($(geometry "$id"))
        echo "${g[$axis]}" $((g[axis] + g[axis + 2]))
    done
}
# The first of start, start+step, ... at which a window of this size is more than 8 pixels
# from every edge, so that it stays where it is put.
clear_of_edges() {
    local axis=$1 moving=$2 start=$3 size=$4 step=$5 at e near
    local list=($(edges "$axis" "$moving"))
    for ((at = start; ; at += step)); do
        near=0
        for e in "${list[@]}"; do
            for side in "$at" $((at + size)); do
                [ $((side - e > 8 || e - side > 8)) = 1 ] || near=1
            done
        done
        [ "$near" = 0 ] && { echo "$at"; return; }
    done
}
# Waits until the window is at x y (the program may snap it after a short pause).
wait_position() {
    local id=$1 x=$2 y=$3 g
    for _ in $(seq 40); do
        g=($(geometry "$id"))
        [ "${g[0]}" = "$x" ] && [ "${g[1]}" = "$y" ] && return 0
        sleep 0.05
    done
    return 1
}

if ! start_pendulon; then
    echo "e2e: FAIL: pendulon --board demo did not show its main window"
    exit 1
fi
sed -n 's/^pendulon: main window on screen \(.*\) after the kit was built/e2e: main window on screen \1 after the kit was built (target 300 ms)/p' \
    "$tmp/pendulon.log"

main=$(window Pendulon)
[ "$(count_windows Pendulon)" = 1 ] && ok "one main window captioned Pendulon" || fail "main windows: $(count_windows Pendulon)"
read -r mx my mw mh <<<"$(geometry "$main")"

# The buttons, found where a person sees them: down a column of the panel, a button is
# what is not the panel's background.
import -window "$main" "$out/main.png"
column=$((mw * 3 / 4))
mapfile -t rows < <(convert "$out/main.png" -crop "1x${mh}+${column}+0" -depth 8 txt:- |
    awk -F'[ ,:]+' 'NR > 1 {print $2, $NF}')
background=${rows[0]#* }
centres=()
start=-1
for row in "${rows[@]}"; do
    y=${row% *} colour=${row#* }
    if [ "$colour" != "$background" ]; then
        [ "$start" -ge 0 ] || start=$y
    elif [ "$start" -ge 0 ]; then
        [ $((y - start)) -ge 8 ] && centres+=($(((start + y) / 2)))
        start=-1
    fi
done
# The demo board has a clock generator and no memory buffer: four buttons, the version
# label below them.
captions=(Clocks "PLL Control" "PLL Setup" Options)
if [ "${#centres[@]}" -lt 4 ]; then
    fail "found ${#centres[@]} buttons on the main panel, not 4 (see $out/main.png)"
else
    for i in 0 1 2 3; do
        xdotool mousemove --window "$main" "$column" "${centres[$i]}" click 1
        id=$(wait_window "${captions[$i]}")
        [ -n "$id" ] && ok "the button at y=${centres[$i]} opens ${captions[$i]}" ||
            fail "the button at y=${centres[$i]} did not open ${captions[$i]}"
    done
    # A second click refreshes the open window; it opens no other.
    xdotool mousemove --window "$main" "$column" "${centres[0]}" click 1
    sleep 0.3
    [ "$(count_windows Clocks)" = 1 ] && ok "a second click opens no second Clocks window" ||
        fail "Clocks windows after a second click: $(count_windows Clocks)"
fi
[ -z "$(window MemoryBuffer)" ] && ok "no MemoryBuffer window on a board without a memory buffer" ||
    fail "a MemoryBuffer window opened on the demo board"
sleep 1.2  # a tick of the clocks timer: the gauges show the measured clocks
import -window root "$out/windows.png"

clocks=$(window Clocks) setup=$(window "PLL Setup") options=$(window Options)
if [ -n "$clocks" ] && [ -n "$setup" ] && [ -n "$options" ]; then
    read -r sx sy sw sh <<<"$(geometry "$setup")"
    read -r ox oy ow oh <<<"$(geometry "$options")"
    # 5 pixels right of PLL Setup's right edge, at a height clear of every other edge: it
    # lands on the edge.
    tx=$((sx + sw + 5))
    ty=$(clear_of_edges 1 "$options" $((sy + sh / 3)) "$oh" 1)
    xdotool windowmove "$options" "$tx" "$ty"
    wait_position "$options" $((sx + sw)) "$ty" && ok "Options moved 5 px from PLL Setup lands on its edge" ||
        fail "Options moved to $tx,$ty is at $(geometry "$options"), not $((sx + sw)),$ty"
    # Moved on to where no edge is near, it pulls free and stays where it was put.
    fx=$(clear_of_edges 0 "$options" $((tx + 20)) "$ow" 1)
    xdotool windowmove "$options" "$fx" "$ty"
    wait_position "$options" "$fx" "$ty" && ok "moved on by $((fx - tx)) px it pulls free" ||
        fail "Options moved to $fx,$ty is at $(geometry "$options")"
    # 5 pixels above the screen's bottom edge: it lands on that edge.
    xdotool windowmove "$options" 700 $((1024 - oh - 5))
    wait_position "$options" 700 $((1024 - oh)) && ok "moved 5 px from the screen's bottom it lands on it" ||
        fail "Options moved near the screen's bottom is at $(geometry "$options")"

    # The Clocks panel dragged by the mouse moves its window, and the drag snaps too: 3 px
    # right and down to a height clear of other edges, its left edge comes back to the main
    # window's right edge.
    read -r cx cy cw ch <<<"$(geometry "$clocks")"
    dy=$(($(clear_of_edges 1 "$clocks" $((cy + 100)) "$ch" 1) - cy))
    xdotool mousemove $((cx + 3)) $((cy + ch - 4)) mousedown 1
    for step in 1 2 3 4 5; do
        xdotool mousemove $((cx + 3 + step * 3 / 5)) $((cy + ch - 4 + step * dy / 5))
        sleep 0.03
    done
    xdotool mouseup 1
    wait_position "$clocks" "$cx" $((cy + dy)) && ok "dragging the Clocks panel moves the window and snaps it" ||
        fail "the Clocks panel dragged by 3,$dy from $cx,$cy left the window at $(geometry "$clocks")"
fi

# A second pendulon raises the first and ends.
second_err=$("$program" --board demo 2>&1 >/dev/null)
second_status=$?
if [ "$second_status" = 1 ] && [[ "$second_err" == *"already running; its window was brought to the front"* ]]; then
    ok "a second pendulon brings the first one's window to the front and ends"
else
    fail "a second pendulon: status $second_status, said: $second_err"
fi

# Idle with every window open: the share of a core over 5 s and the resident memory.
ticks=$(getconf CLK_TCK)
cpu_time() { awk '{print $14 + $15}' "/proc/$pendulon_pid/stat"; }
before=$(cpu_time)
sleep 5
after=$(cpu_time)
rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pendulon_pid/status")
awk -v t=$((after - before)) -v hz="$ticks" -v rss="$rss" 'BEGIN {
    printf "e2e: idle with every window open: %.2f%% of a core (target < 1%%), %.1f MiB resident (target < 80 MiB)\n",
        100 * t / hz / 5, rss / 1024 }'

# What the windows were as the program ends, to find in the settings file.
declare -A expected
for pair in MAINWINDOW:Pendulon CLOCKSWINDOW:Clocks SELECTIONWINDOW:"PLL Control" SETUPWINDOW:"PLL Setup" \
    OPTIONWINDOW:Options; do
    id=$(window "${pair#*:}")
    [ -n "$id" ] || continue
    read -r x y w h <<<"$(geometry "$id")"
    expected[${pair%%:*}]="$x $((x + w)) $y $((y + h))"
done
stop_pendulon
for key in "${!expected[@]}"; do
    line=$(grep "^$key=" "$settings")
    # NAME=open flags showCmd left right top bottom; the main window's line has no "open"
    fields=4
    [ "$key" != MAINWINDOW ] || fields=3
    [ "$(echo "${line#*=}" | cut -d' ' -f$fields-)" = "${expected[$key]}" ] && ok "$key stored as ${expected[$key]}" ||
        fail "$key: the settings say '$line', the window was at ${expected[$key]}"
done

# At the next start the tool windows open again where they were.
if start_pendulon; then
    for pair in CLOCKSWINDOW:Clocks OPTIONWINDOW:Options SETUPWINDOW:"PLL Setup"; do
        key=${pair%%:*}
        id=$(wait_window "${pair#*:}")
        read -r x y w h <<<"$(geometry "${id:-0}" 2>/dev/null || echo "- - - -")"
        stored=(${expected[$key]})
        [ -n "$id" ] && [ "$x $y" = "${stored[0]} ${stored[2]}" ] && ok "${pair#*:} reopens at $x,$y" ||
            fail "${pair#*:} reopened at '$x,$y', stored at ${stored[0]},${stored[2]}"
    done
    import -window root "$out/restarted.png"
    stop_pendulon
else
    fail "pendulon did not start a second time"
fi

if [ "$failures" -ne 0 ]; then
    echo "e2e: $failures checks failed; screenshots in $out"
    exit 1
fi
echo "e2e: every check holds; screenshots in $out"
