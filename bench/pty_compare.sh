#!/usr/bin/env bash
# The simulated board on a pseudo-terminal streaming at 3,000,000 baud's
# pace, read once by a common terminal program (picocom, with its log file)
# and by this program's Terminal Mode through the serial backend, twice:
# offscreen, and with its window on a virtual X server (Xvfb, through xcb)
# when one is installed. For each: the bytes received, their wire time
# (bytes x 10 bits / 3,000,000) over the time from the reader's start to its
# last byte, the processor share of the reader and of the server over that
# time, the reader's peak resident memory, and for this program how often a
# second its HEX pane painted new lines.
#
#   bench/pty_compare.sh [BUILD_DIR] [STREAM_BYTES]
#
# BUILD_DIR must hold the targets tarvik-sim-pty and bench_pty_terminal
# (default: build beside this folder); STREAM_BYTES defaults to 8 MiB.
# Installs picocom when it is missing. Not part of the test command.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
bytes="${2:-8388608}"
baud=3000000
server="$build/sim/pty/tarvik-sim-pty"
reader="$build/bench/bench_pty_terminal"
quiet_ms=2000

for program in "$server" "$reader"; do
    [[ -x "$program" ]] || { echo "missing $program: build it first" >&2; exit 1; }
done
if ! command -v picocom >/dev/null; then
    echo "installing picocom" >&2
    { apt-get install -y picocom || { apt-get update && apt-get install -y picocom; }; } >/dev/null 2>&1 ||
        { echo "picocom could not be installed" >&2; exit 1; }
fi

work="$(mktemp -d)"
server_pid=""
xvfb_pid=""
cleanup() {
    [[ -n "$server_pid" ]] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

ticks_per_second="$(getconf CLK_TCK)"
# utime + stime of a process, in seconds.
cpu_seconds() {
    local fields
    fields="$(sed 's/.*) //' "/proc/$1/stat")"
    awk -v t="$ticks_per_second" '{ printf "%.3f", ($12 + $13) / t }' <<<"$fields"
}
now() { date +%s.%N; }

# Starts the server; sets server_pid and slave.
start_server() {
    mkfifo "$work/path"
    "$server" --stream "$bytes" --baud "$baud" >"$work/path" &
    server_pid=$!
    read -r slave <"$work/path"
    rm "$work/path"
}

stop_server() {
    kill "$server_pid"
    wait "$server_pid" || true
    server_pid=""
}

rows=()
# row NAME BYTES SECONDS READER_CPU SERVER_CPU PEAK_MIB [PAINTS_PER_S]
row() {
    rows+=("$(awk -v name="$1" -v b="$2" -v s="$3" -v rc="$4" -v sc="$5" -v mib="$6" \
        -v paints="${7:--}" -v baud="$baud" 'BEGIN {
        wire = b * 10 / baud
        printf "%-16s %10d %9.3f %9.3f %8.3f %10.0f %9.1f %9.1f %9.1f %9s", name, b, s, wire,
               wire / s, b / s, 100 * rc / s, 100 * sc / s, mib, paints }')")
}

# --- picocom: the log file's last change is its last byte.
start_server
server_before="$(cpu_seconds "$server_pid")"
log="$work/picocom.log"
started="$(now)"
/usr/bin/time -f "%U %S %M" -o "$work/time" \
    picocom --quiet --baud "$baud" --logfile "$log" --exit-after "$quiet_ms" "$slave" \
    </dev/null >/dev/null 2>"$work/picocom.err" || true
server_after="$(cpu_seconds "$server_pid")"
stop_server
received="$(stat -c %s "$log" 2>/dev/null || echo 0)"
last_byte="$(stat -c %.Y "$log" 2>/dev/null || echo "$started")"
seconds="$(awk -v a="$started" -v b="$last_byte" 'BEGIN { printf "%.3f", b - a }')"
reader_cpu="$(awk '{ printf "%.3f", $1 + $2 }' "$work/time")"
reader_mib="$(awk '{ printf "%.1f", $3 / 1024 }' "$work/time")"
server_cpu="$(awk -v a="$server_before" -v b="$server_after" 'BEGIN { printf "%.3f", b - a }')"
row picocom "$received" "$seconds" "$reader_cpu" "$server_cpu" "$reader_mib"

# --- Terminal Mode: the benchmark counts what the HEX pane shows.
# run_program NAME [ENV...]: one run of the benchmark, its figures as a row.
run_program() {
    local name="$1"
    shift
    start_server
    server_before="$(cpu_seconds "$server_pid")"
    env "$@" "$reader" "$slave" "$bytes" >"$work/program.out" 2>"$work/program.err"
    server_after="$(cpu_seconds "$server_pid")"
    stop_server
    figures="$(grep '^reader=' "$work/program.out")"
    server_cpu="$(awk -v a="$server_before" -v b="$server_after" 'BEGIN { printf "%.3f", b - a }')"
    row "$name" "$(field bytes)" "$(field seconds)" "$(field cpu)" "$server_cpu" \
        "$(field peak_mib)" "$(field paints)"
    grep -v '^reader=' "$work/program.out" | sed "s/^  /$name: /" >>"$work/notes" || true
}
field() { sed -n "s/.* $1=\([^ ]*\).*/\1/p" <<<" $figures"; }
: >"$work/notes"
run_program tarvik-offscreen QT_QPA_PLATFORM=offscreen

# --- The same on a display: a virtual X server, the window through xcb.
if command -v Xvfb >/dev/null; then
    # The server picks a free display and writes its number.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [[ -s "$work/display" ]] && break; sleep 0.1; done
    run_program tarvik-xcb QT_QPA_PLATFORM=xcb DISPLAY=":$(cat "$work/display")"
    kill "$xvfb_pid" && wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
else
    echo "Xvfb is not installed: no run on a display" >>"$work/notes"
fi

echo "Simulated board on a pty, stream of $bytes bytes at $baud baud ($(nproc) cores)"
printf "%-16s %10s %9s %9s %8s %10s %9s %9s %9s %9s\n" reader bytes "time s" "wire s" "ratio" \
    "bytes/s" "reader %" "server %" "peak MiB" "paints/s"
printf "%s\n" "${rows[@]}"
echo "ratio: wire time of the bytes received / time from the reader's start to its last byte"
echo "processor shares: of one core, over that same time"
echo "peak MiB: the reader's most resident memory; paints/s: the HEX pane's paints that showed"
echo "  new lines, a second of streaming"
echo "bytes: this program counts the bytes of its HEX lines; the stream's last bytes after the"
echo "  last line it ended (16 bytes or a CR) wait in the line being built (1 of 8 MiB)"
cat "$work/notes"
if [[ -s "$work/picocom.err" ]]; then
    sed 's/^/picocom: /' "$work/picocom.err"
fi
