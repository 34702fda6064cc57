#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite headless:
# once in a normal build, whose Debian package is then made and must pass
# lintian, once under AddressSanitizer and UndefinedBehaviorSanitizer
# built with clang, which also builds the fuzz targets; each of those then
# fuzzes for 15 s. The benchmark programs are built in the normal build only:
# their figures mean nothing under the sanitizers.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh" packaging

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

echo "== normal build =="
"$root/scripts/build.sh" "$root/build"
ctest --test-dir "$root/build" --output-on-failure --parallel 2

echo "== Debian package of the normal build =="
"$root/scripts/package.sh" "$root/build"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build (clang) =="
"$root/scripts/build.sh" "$root/build-sanitize" -DTARVIK_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_COMPILER=clang++-14 -DTARVIK_BENCH_PROGRAMS=OFF
ctest --test-dir "$root/build-sanitize" --output-on-failure --parallel 2

echo "== fuzz targets =="
"$root/scripts/fuzz.sh" "$root/build-sanitize" 15
