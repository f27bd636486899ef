#!/usr/bin/env bash
# Configures and builds into ./build (override with BUILD_DIR): the CMake targets named as
# arguments, or everything (programs, tests, benchmarks) without any.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
gen=()
command -v ninja >/dev/null 2>&1 && gen=(-G Ninja)
# A configure that failed (Qt not yet installed, say) leaves a cache but no build files: run it
# again.
if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S "$root" -B "$build" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
targets=()
[ $# -gt 0 ] && targets=(--target "$@")
cmake --build "$build" -j"$(nproc)" "${targets[@]}"
