#!/usr/bin/env bash
# Makes the README's pictures of the three modes on the simulated boards:
# builds the program, runs it on a virtual display (Xvfb), drives it with
# xdotool as a user would, and writes docs/terminal.png (Terminal Mode after
# `dir`), docs/menus.png (the Modes menu while the terminal is open),
# docs/status.png (the status bar during a disk copy), docs/programmer.png
# (Programmer Mode after a run), docs/spy.png (Spy Mode capturing) and
# docs/remote.png (File > Remote Boards with a board in a rack typed in).
# Installs what it needs the first time (as root, or through sudo).
# Usage: screenshots.sh [build-dir]   (default: build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:-$root/build}")"

if [ "${TARVIK_SCREENSHOT_DISPLAY:-}" != 1 ]; then
    "$root/scripts/install-deps.sh"
    tools=(xvfb xauth xdotool x11-apps netpbm)
    missing=()
    for p in "${tools[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -ne 0 ]; then
        echo "Installing: ${missing[*]}"
        sudo_cmd=()
        [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
        "${sudo_cmd[@]}" apt-get update -qq
        DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
    fi
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" --target tarvik-control
    TARVIK_SCREENSHOT_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$build"
fi

# From here on the program runs on the virtual display, with no window
# manager: its window has no frame and sits at the top left of the screen.
title="Tarvik Evaluation Board Program"
work="$(mktemp -d)"
program_pid=""
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The simulated board keeps its disk in the work folder: every run starts
# from the same disk, and a user's own is left alone.
TARVIK_SIM_DIR="$work/board" "$build/app/tarvik-control" >"$work/program.log" 2>&1 &
program_pid=$!
window="$(xdotool search --sync --name "$title" | head -n 1)"
# Larger than the window's smallest size, so that the panes show more lines:
# the form 960 by 600, the menu bar above it and the status bar below.
menu_bar=20
status_bar=26
xdotool windowsize --sync "$window" 960 $((600 + menu_bar + status_bar)) ||
    xdotool windowsize "$window" 960 $((600 + menu_bar + status_bar))
sleep 1

# Places in the form at 960 by 600 pixels, under the menu bar.
click() {
    xdotool mousemove --window "$window" "$1" $(($2 + menu_bar)) click 1
    sleep 0.5
}
modes_menu=(64 -10)
port_chooser_arrow=(145 18)
programmer_tab=(52 53)
spy_tab=(221 53)
ascii_pane=(370 204)
hex_pane=(370 450)
terminal_open=(794 318)
terminal_close=(890 318)
source_file=(726 98)
program_button=(639 148)
open_spy=(869 92)
close_spy=(869 124)

# Opens the port list and picks the board by typing the start of its name,
# which the list jumps to.
pick_board() {
    click "${port_chooser_arrow[@]}"
    xdotool type --delay 30 "$1"
    xdotool key Return
    sleep 0.5
}

shoot() {
    sleep "$2"
    xwd -id "$window" -silent | xwdtopnm 2>/dev/null | pnmtopng >"$root/docs/$1.png"
    echo "docs/$1.png"
}

# An open menu is a window of its own, not in the window's picture: it is
# pasted onto it where it shows (the window sits at the screen's corner).
shoot_menu() {
    sleep "$2"
    local popup X Y WIDTH HEIGHT SCREEN
    popup="$(xdotool search --onlyvisible --class tarvik-control | grep -vx "$window" | tail -n 1)"
    eval "$(xdotool getwindowgeometry --shell "$popup")"
    xwd -id "$window" -silent | xwdtopnm 2>/dev/null >"$work/window.pnm"
    xwd -id "$popup" -silent | xwdtopnm 2>/dev/null >"$work/menu.pnm"
    pnmpaste "$work/menu.pnm" "$X" "$Y" "$work/window.pnm" | pnmtopng >"$root/docs/$1.png"
    echo "docs/$1.png"
}

# Waits for the window's information dialog and answers it.
answer_dialog() {
    for _ in $(seq 100); do
        if [ "$(xdotool search --onlyvisible --name "$title" | wc -l)" -gt 1 ]; then
            xdotool key Return
            sleep 0.5
            return
        fi
        sleep 0.2
    done
    echo "no dialog after the programming run" >&2
    exit 1
}

mkdir -p "$root/docs"

# Terminal Mode: open the evaluation board and list its disk.
pick_board "Tarvik Eval"
click "${terminal_open[@]}"
sleep 2
click "${ascii_pane[@]}"
xdotool type --delay 80 dir
xdotool key Return
shoot terminal 2

# The Modes menu, with the open terminal's items on.
click "${modes_menu[@]}"
shoot_menu menus 1
xdotool key Escape

# The status bar while a file goes to the chip's disk at 9600 baud: F5 is
# "Send File (OPW/WRF)"; pressed again it cancels the copy. Shift+F2 closes
# the terminal.
head -c 65536 /dev/urandom >"$work/LOGGER.BIN"
xdotool key F5
sleep 1
xdotool type --delay 20 "$work/LOGGER.BIN"
xdotool key Return
shoot status 10
# The keys reach the window once it has the focus back from the dialog.
click "${hex_pane[@]}"
xdotool key F5
sleep 2
xdotool key shift+F2
sleep 0.5

# Programmer Mode: write a small image into the chip's flash.
head -c 4096 /dev/urandom >"$work/blink.rom"
click "${programmer_tab[@]}"
click "${source_file[@]}"
xdotool type --delay 20 "$work/blink.rom"
click "${program_button[@]}"
answer_dialog
shoot programmer 0.5

# Spy Mode: watch the spy board's host and chip talk.
pick_board "Tarvik Spy"
click "${spy_tab[@]}"
click "${open_spy[@]}"
shoot spy 4
click "${close_spy[@]}"

# File > Remote Boards: a board in a rack, its two channels on ser2net's
# ports of the rack's machine. The dialog is a window of its own.
xdotool key alt+f
sleep 0.5
xdotool key r
sleep 1
dialog="$(xdotool search --onlyvisible --name "^Remote Boards$" | head -n 1)"
xdotool key alt+a
sleep 0.3
xdotool type --delay 30 rack1
xdotool key Tab
xdotool type --delay 30 rack-pc:7000
xdotool key Tab
xdotool type --delay 30 rack-pc:7001
xdotool key Tab
sleep 0.5
xwd -id "$dialog" -silent | xwdtopnm 2>/dev/null | pnmtopng >"$root/docs/remote.png"
echo "docs/remote.png"
xdotool key Escape
