#!/usr/bin/env bash
# Installs the Debian 12 packages the program and its tests need, only those
# that are missing. Needs root (or sudo) the first time.
#   install-deps.sh            what building and testing need
#   install-deps.sh packaging  also what building and checking the Debian package need
set -euo pipefail

packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libgl-dev xvfb xauth desktop-file-utils
          clang-14 libclang-rt-14-dev help2man ser2net)
# dpkg-shlibdeps (in dpkg-dev) finds the package's library dependencies;
# lintian checks the package.
packaging=(dpkg-dev lintian)

case "${1:-}" in
    "") ;;
    packaging) packages+=("${packaging[@]}") ;;
    *) echo "usage: $0 [packaging]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
# The tests start ser2net themselves, on the loopback address. The package
# also enables a service that serves the machine's serial ports; one
# installed here for the tests alone is stopped and left disabled.
if [[ " ${missing[*]} " == *" ser2net "* ]] && command -v systemctl >/dev/null &&
    systemctl is-system-running >/dev/null 2>&1; then
    "${sudo_cmd[@]}" systemctl disable --now ser2net.service || true
fi
