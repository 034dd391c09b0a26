#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# Pace and memory of transitfit on large campaigns: wall time and peak memory (max RSS) of
# `transitfit --format json` (rejection on) for campaigns of 10^4, 10^5 and 10^6 timings, four per observer,
# and one of the largest size with 40 timings per observer. Each run is made RUNS times (default 3) and the
# medians are shown, with the seconds per million timings so that linearity can be judged.
# Usage: bench/transitfit.sh [N]   (N: the largest size, default 1000000; the others are N/100 and N/10)
set -euo pipefail
cd "$(dirname "$0")/.."
largest=${1:-1000000}
runs=${RUNS:-3}
command -v /usr/bin/time > /dev/null || { echo "transitfit.sh: needs GNU time as /usr/bin/time" >&2; exit 2; }
cmake --preset release > /dev/null
cmake --build --preset release --target transitfit make_campaign > /dev/null
bin=build/release/programs/transitfit
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# median of the numbers on standard input
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

printf '%10s %9s %12s %9s %8s %10s\n' timings observers "per observer" seconds MB "s/10^6"
for size in $((largest / 100)):4 $((largest / 10)):4 "$largest":4 "$largest":40; do
  count=${size%:*} per=${size#*:}
  csv=$work/campaign-$count-$per.csv
  "$bin"/make_campaign random "$count" 1 "$per" > "$csv"
  : > "$work/seconds" && : > "$work/kb"
  for _ in $(seq "$runs"); do
    /usr/bin/time -f '%e %M' -o "$work/time" "$bin"/transitfit --format json "$csv" > "$work/out.json"
    read -r seconds kb < "$work/time"
    echo "$seconds" >> "$work/seconds" && echo "$kb" >> "$work/kb"
  done
  grep -q '"au_km": [0-9]' "$work/out.json" || { echo "transitfit.sh: no AU fitted for $count timings" >&2; exit 1; }
  observers=$(( (count + per - 1) / per ))
  seconds=$(median < "$work/seconds") kb=$(median < "$work/kb")
  awk -v n="$count" -v o="$observers" -v p="$per" -v s="$seconds" -v k="$kb" \
    'BEGIN { printf "%10d %9d %12d %9.2f %8.1f %10.2f\n", n, o, p, s, k / 1024, s / n * 1e6 }'
done
