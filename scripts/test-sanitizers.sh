#!/usr/bin/env bash
# Installs what is missing, builds everything with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer into ./build-asan (override with BUILD_DIR), and runs every test
# there: unit, integration, platform and app tests, and a short run of each fuzz target. Any
# memory error, leak or undefined behaviour fails its test. The tests' upper time bounds stretch
# by KORVO_TEST_TIME_SCALE (3 unless set), as the instrumented code runs slower.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build-asan}"
bash "$root/scripts/setup.sh" --clang
BUILD_DIR="$build" bash "$root/scripts/instrumented-build.sh"
cd "$build"
export QT_QPA_PLATFORM=offscreen
export KORVO_TEST_TIME_SCALE="${KORVO_TEST_TIME_SCALE:-3}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
# Qt SerialBus 6.4's TCP server leaves a small buffer per client still connected when it closes,
# as the process ends; that library's leaks alone are not reported.
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/scripts/lsan-suppressions.txt}"
ctest --output-on-failure --timeout 600 -j2
