#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# Pace and memory of transitfit on large campaigns, beside what a user would write instead: wall time and peak
# memory (max RSS) of `transitfit --model exact --format json` (rejection, bootstrap and diagnoses on), of
# bench/linear_fit.py (pandas reads the file, numpy's lstsq makes one weighted fit of the same linear model,
# nothing rejected, no uncertainty but the formal one) and of that script reading the file alone
# (--read-only: pandas' read_csv and the clock times, no fit), for campaigns of 10^4, 10^5 and 10^6 timings,
# four per observer, and one of the largest size with 40 timings per observer. The model is named so that
# a change of transitfit's default does not change what is timed (the exact one: each timing against its own
# prediction, more than the script does); the script's coefficients come from
# `transits coefficients 2004-06-08 --format json`, written once beforehand. Each command runs RUNS times
# (default 3), the three in turn, and the medians are shown, with transitfit's seconds per million timings so
# that linearity can be judged. Without python3, numpy and pandas (scripts/setup.sh test installs them) the
# script's columns say "-".
# Usage: bench/transitfit.sh [N]   (N: the largest size, default 1000000; the others are N/100 and N/10)
set -euo pipefail
cd "$(dirname "$0")/.."
largest=${1:-1000000}
runs=${RUNS:-3}
command -v /usr/bin/time > /dev/null || { echo "transitfit.sh: needs GNU time as /usr/bin/time" >&2; exit 2; }
cmake --preset release > /dev/null
cmake --build --preset release --target transitfit make_campaign transits > /dev/null
bin=build/release/programs
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The first Python that has numpy and pandas: a python3 ahead on PATH (a version manager's) may lack them.
python=
for candidate in ${PYTHON:-} python3 /usr/bin/python3; do
  if "$candidate" -c 'import numpy, pandas' 2> /dev/null; then python=$candidate; break; fi
done
[ -n "$python" ] || echo "transitfit.sh: no python3 with numpy and pandas: only transitfit is timed" >&2
"$bin"/transits/transits coefficients 2004-06-08 --format json > "$work/coefficients.json"

# median of the numbers on standard input
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# timed NAME COMMAND...: one run, its seconds and KB appended to NAME.seconds and NAME.kb, its output in NAME.out.
timed() {
  local name=$1; shift
  /usr/bin/time -f '%e %M' -o "$work/time" "$@" > "$work/$name.out"
  read -r seconds kb < "$work/time"
  echo "$seconds" >> "$work/$name.seconds" && echo "$kb" >> "$work/$name.kb"
}

# seconds and MB of NAME's medians, or dashes when it was not run.
medians() {
  if [ -s "$work/$1.seconds" ]; then
    awk -v s="$(median < "$work/$1.seconds")" -v k="$(median < "$work/$1.kb")" 'BEGIN { printf "%9.2f %8.1f", s, k / 1024 }'
  else
    printf '%9s %8s' - -
  fi
}

printf '%-33s | %-28s | %-18s | %s\n' "campaign" "transitfit --model exact" "numpy fit" "pandas read alone"
printf '%10s %9s %12s | %9s %8s %9s | %9s %8s | %9s %8s\n' timings observers "per observer" seconds MB "s/10^6" \
  seconds MB seconds MB
for size in $((largest / 100)):4 $((largest / 10)):4 "$largest":4 "$largest":40; do
  count=${size%:*} per=${size#*:}
  csv=$work/campaign-$count-$per.csv
  "$bin"/transitfit/make_campaign random "$count" 1 "$per" > "$csv"
  rm -f "$work"/*.seconds "$work"/*.kb
  for _ in $(seq "$runs"); do
    timed transitfit "$bin"/transitfit/transitfit --model exact --format json "$csv"
    if [ -n "$python" ]; then
      timed numpy "$python" bench/linear_fit.py --coefficients "$work/coefficients.json" "$csv"
      timed read "$python" bench/linear_fit.py --read-only "$csv"
    fi
  done
  grep -q '"au_km": [0-9]' "$work/transitfit.out" || { echo "transitfit.sh: no AU fitted for $count timings" >&2; exit 1; }
  if [ -n "$python" ] && ! grep -q '^au_km [0-9]' "$work/numpy.out"; then
    echo "transitfit.sh: linear_fit.py fitted no AU for $count timings" >&2; exit 1
  fi
  observers=$(( (count + per - 1) / per ))
  seconds=$(median < "$work/transitfit.seconds")
  printf '%10d %9d %12d | %s %9.2f | %s | %s\n' "$count" "$observers" "$per" "$(medians transitfit)" \
    "$(awk -v n="$count" -v s="$seconds" 'BEGIN { print s / n * 1e6 }')" "$(medians numpy)" "$(medians read)"
done
