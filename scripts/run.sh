#!/usr/bin/env bash
# Installs what is missing, builds, and opens the program's window. The
# simulated evaluation boards are always in the port chooser. Without a
# display the window opens on a virtual one (Xvfb).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
program="$root/build/app/tarvik-control"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: opening the window on a virtual display (xvfb-run)."
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$program" "$@"
fi
exec "$program" "$@"
