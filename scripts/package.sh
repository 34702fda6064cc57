#!/usr/bin/env bash
# Builds the Debian package in a build tree and checks it with lintian, which
# must find no error and no warning. Installs what that needs first.
#   package.sh [BUILD_DIR]    (default: build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$root/build}"
"$root/scripts/install-deps.sh" packaging
"$root/scripts/build.sh" "$dir"
rm -f "$dir"/tarvik-control_*.deb
(cd "$dir" && cpack -G DEB)
deb=("$dir"/tarvik-control_*.deb)
lintian --fail-on error,warning --display-info "${deb[@]}"
echo "lintian: ${deb[*]} has no error and no warning"
