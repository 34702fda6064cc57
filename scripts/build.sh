#!/usr/bin/env bash
# Configures and builds one tree. Usage: build.sh <build-dir> [cmake options...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="$1"
shift
# Line tables only: backtraces keep their files and lines, and compiling
# takes less time than with full debugging information.
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" "$@" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
