#!/usr/bin/env bash
# Configures (the first time) and builds the instrumented build in ./build-asan (override with
# BUILD_DIR): clang, AddressSanitizer and UndefinedBehaviorSanitizer on everything, and the fuzz
# targets. Builds the given targets, or everything. Used by test-sanitizers.sh and fuzz.sh.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build-asan}"
gen=()
command -v ninja >/dev/null 2>&1 && gen=(-G Ninja)
if [ ! -f "$build/CMakeCache.txt" ]; then
  # -O1 with line tables only: reports name file and line, and the build stays quick.
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" "${gen[@]}" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only" \
    -DKORVO_SANITIZE=ON -DKORVO_FUZZ=ON
fi
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build" -j"$(nproc)" "${targets[@]}"
