#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# Pace of both programs against the floor: N scripted passes (default 100000) fed through a pipe, for all
# defaults and for a mix of changed values. Reports passes per second, peak memory at 1,000 passes and at
# N passes, write system calls per pass, and the time per pass relative to the floor, which makes the
# same writes and reads and nothing else. The runs alternate program and floor, ROUNDS times (default 5),
# and the medians are compared.
# Usage: bench/run.sh [N]
set -euo pipefail
cd "$(dirname "$0")/.."
passes=${1:-100000}
rounds=${ROUNDS:-5}
for tool in strace /usr/bin/time; do
  command -v "$tool" > /dev/null || { apt-get update -qq && apt-get install -y -qq strace time > /dev/null; }
done
cmake --preset dev > /dev/null
cmake --build --preset dev --target limbtimer chordspan bench_floor bench_record > /dev/null
bin=build/dev
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The answers of one cycle of passes: all defaults, or two passes that change values and change them back.
cycle_input() {  # program kind
  local contacts='\n'; [ "$1" = chordspan ] && contacts='\n\n'
  if [ "$2" = defaults ]; then
    printf "$contacts"'\n\n\n\n\n\n\n\n\n\n'
  else
    printf "$contacts"'\n51,5\n\n\n05:19:50\n\n\n\n\n\n'
    printf "$contacts"'s\n51.47\n\n7.5\n\nn\n\n\n28.0\n\n'
  fi
}
make_input() {  # program kind passes file: the language, then the cycle repeated (by doubling)
  local cycles=$3
  [ "$2" = mix ] && cycles=$(($3 / 2))
  cycle_input "$1" "$2" > "$work/block"
  printf 'e\n' > "$4"
  while [ "$cycles" -gt 0 ]; do
    [ $((cycles % 2)) -eq 1 ] && cat "$work/block" >> "$4"
    cat "$work/block" "$work/block" > "$work/double" && mv "$work/double" "$work/block"
    cycles=$((cycles / 2))
  done
}

seconds() { local start end; start=$(date +%s%N); "$@"; end=$(date +%s%N); awk -v ns=$((end - start)) 'BEGIN {print ns / 1e9}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {print a / b}'; }
median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

printf '%-10s %-8s %12s %10s %10s %12s %8s\n' program input passes/s "kB@1e3" "kB@N" writes/pass ratio
for program in limbtimer chordspan; do
  prompts=11; [ "$program" = chordspan ] && prompts=12
  for kind in defaults mix; do
    make_input "$program" "$kind" "$passes" "$work/in"
    make_input "$program" "$kind" 1000 "$work/small"
    cycle=1; [ "$kind" = mix ] && cycle=2
    "$bin/bench/bench_record" "$program" "$cycle" < "$work/in" > "$work/chunks"
    # The floor must write exactly what the program writes.
    "$bin/programs/$program/$program" < "$work/small" > "$work/program.out"
    "$bin/bench/bench_floor" "$work/chunks" < "$work/small" > "$work/floor.out"
    cmp -s "$work/program.out" "$work/floor.out" || { echo "floor output differs for $program $kind"; exit 1; }

    : > "$work/program.times"; : > "$work/floor.times"
    for _ in $(seq "$rounds"); do
      seconds sh -c "cat '$work/in' | '$bin/programs/$program/$program' | cat > /dev/null" >> "$work/program.times"
      seconds sh -c "cat '$work/in' | '$bin/bench/bench_floor' '$work/chunks' | cat > /dev/null" >> "$work/floor.times"
    done
    program_time=$(median < "$work/program.times")
    floor_time=$(median < "$work/floor.times")

    small_kb=$(/usr/bin/time -f %M "$bin/programs/$program/$program" < "$work/small" 2>&1 > /dev/null | tail -1)
    large_kb=$(/usr/bin/time -f %M "$bin/programs/$program/$program" < "$work/in" 2>&1 > /dev/null | tail -1)
    strace -f -c -e trace=write -o "$work/strace" "$bin/programs/$program/$program" < "$work/small" > /dev/null
    writes=$(awk '$NF == "write" {print $4}' "$work/strace")

    printf '%-10s %-8s %12.0f %10s %10s %12.2f %8.2f\n' "$program" "$kind" "$(ratio "$passes" "$program_time")" \
      "$small_kb" "$large_kb" "$(ratio "$writes" 1000)" "$(ratio "$program_time" "$floor_time")"
  done
  echo "($program asks $prompts questions a pass)"
done
