#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# Builds the libFuzzer targets with clang and runs each for the given seconds (default 30) from the seed
# corpus in fuzz/corpus; any crash or broken property fails the run and leaves its input in build/fuzz/findings.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
cmake --preset fuzz > /dev/null
cmake --build --preset fuzz
findings=build/fuzz/findings
mkdir -p "$findings"
for target in numbers clock-time limbtimer chordspan campaign fields; do
  corpus=$(mktemp -d)
  cp fuzz/corpus/"$target"/* "$corpus"/
  log=build/fuzz/$target.log
  if ! build/fuzz/fuzz/fuzz_${target//-/_} -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="$findings/$target-" "$corpus" fuzz/corpus/"$target" > "$log" 2>&1; then
    tail -40 "$log"
    echo "fuzz_$target: FAILED (input in $findings)"
    exit 1
  fi
  echo "fuzz_$target: $(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$') runs in ${seconds} s, no finding"
  rm -rf "$corpus"
done
