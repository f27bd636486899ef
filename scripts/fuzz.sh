#!/usr/bin/env bash
# Builds the fuzz targets (the instrumented build in ./build-asan, override with BUILD_DIR) and
# runs each one long, one after the other, then prints per target the inputs run, the time taken
# and what was found (crash, leak, time-out, out of memory).
#
#   scripts/fuzz.sh [RUNS] [SECONDSs] [TARGET...]
#
# RUNS is the number of inputs per target (default 10000000), SECONDSs a time budget per target
# (default 3600s); a target stops at whichever comes first. TARGETs are names such as ini_file
# or reply (default: all). The inputs found so far are kept in BUILD_DIR/fuzz/corpus/<target>,
# so a later run goes on from there; inputs that fail land in BUILD_DIR/fuzz/findings/<target>
# and the fuzzer's output in BUILD_DIR/fuzz/logs/<target>.log. Exits 1 when anything was found.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build-asan}"

runs=10000000
seconds=3600
wanted=()
for arg in "$@"; do
  case "$arg" in
    *[0-9]s) seconds="${arg%s}" ;;
    *[!0-9]*) wanted+=("$arg") ;;
    *) runs="$arg" ;;
  esac
done

bash "$root/scripts/setup.sh" --clang
BUILD_DIR="$build" bash "$root/scripts/instrumented-build.sh" fuzz_targets

# One line per target, written by the build: name, program, seed folder, options.
list="$build/fuzz-targets.txt"
results=()
found=0
while IFS=$'\t' read -r name program seeds options; do
  if [ ${#wanted[@]} -gt 0 ] && [[ ! " ${wanted[*]} " =~ " $name " ]]; then continue; fi
  corpus="$build/fuzz/corpus/$name"
  findings="$build/fuzz/findings/$name"
  log="$build/fuzz/logs/$name.log"
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  echo "== $name: up to $runs inputs or $seconds s"
  touch "$findings/.started"
  start=$(date +%s)
  status=0
  # shellcheck disable=SC2086  # options holds several words
  "$program" -runs="$runs" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$findings/" $options "$corpus" "$seeds" >"$log" 2>&1 || status=$?
  elapsed=$(($(date +%s) - start))
  done_runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  kinds=$(find "$findings" -maxdepth 1 -type f \
    \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) \
    -newer "$findings/.started" -printf '%f\n' 2>/dev/null | sed 's/-.*//' | sort | uniq -c |
    awk '{printf "%s%d %s", (NR > 1 ? ", " : ""), $1, $2}')
  if [ "$status" -ne 0 ] && [ -z "$kinds" ]; then kinds="fuzzer exited with $status"; fi
  [ -n "$kinds" ] && found=1
  results+=("$(printf '%-16s %12s runs %7s s  corpus %5s  %s' "$name" "${done_runs:-?}" \
    "$elapsed" "$(find "$corpus" -type f | wc -l)" "${kinds:-nothing found}")")
  echo "${results[-1]}"
done <"$list"

echo
echo "Fuzzing summary ($build/fuzz):"
printf '%s\n' "${results[@]}"
exit "$found"
