#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# transitfit's linear fit against an independent one: bench/linear_fit.py solves the same weighted problem
# with numpy's lstsq on the same coefficients (those of `transits coefficients`), with every timing kept and
# no clock offsets. The AUs and their formal uncertainties must agree to 1e-9, relative. Exits 77
# (skipped) when python3 with numpy and pandas is not installed.
# Usage: linear-fit.sh TRANSITFIT TRANSITS MAKE_CAMPAIGN LINEAR_FIT_PY SAMPLE_FOLDER
set -u
transitfit=$1 transits=$2 maker=$3 script=$4 samples=$5
# The first Python that has both: a python3 ahead on PATH (a version manager's) may lack Debian's packages.
python=
for candidate in ${PYTHON:-} python3 /usr/bin/python3; do
  if "$candidate" -c 'import numpy, pandas' 2> /dev/null; then python=$candidate; break; fi
done
if [ -z "$python" ]; then
  echo "SKIP: no python3 with numpy and pandas (scripts/setup.sh test installs python3-numpy and python3-pandas)"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0 checks=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A number from transitfit's JSON report, or from the script's "key value" lines.
json_number() { grep -o "\"$1\": [-0-9.e+]*" "$2" | head -1 | sed 's/.*: //'; }
line_number() { awk -v k="$1" '$1 == k { print $2; exit }' "$2"; }

# Campaigns: 2004 from random sites at four timings each; the same with sigmas of 0 (empty), 1 and 12 s, so
# that the weights differ; the 2004 sample, its planted errors kept; and 2012, whose contacts straddle
# midnight, with its date column.
"$maker" random 200 7 > "$work/random.csv"
awk -F, -v OFS=, 'NR > 1 { $6 = NR % 3 == 0 ? "" : NR % 3 == 1 ? 1 : 12 } 1' "$work/random.csv" > "$work/weights.csv"
cases=(
  "random|2004-06-08|$work/random.csv"
  "weights|2004-06-08|$work/weights.csv"
  "sample-2004|2004-06-08|$samples/campaign-2004.csv"
  "sample-2012|2012-06-05|$samples/campaign-2012.csv"
)
for case in "${cases[@]}"; do
  IFS='|' read -r name date csv <<< "$case"
  if ! "$transits" coefficients "$date" --format json > "$work/$name.coefficients.json"; then
    fail "$name: transits coefficients $date failed"; continue
  fi
  if ! timeout $((20 * ${TIMEOUT_SCALE:-1})) "$transitfit" --model linear --coefficients ephemeris --keep-all \
         --transit "$date" --format json "$csv" > "$work/$name.json"; then
    fail "$name: transitfit found no fit"; continue
  fi
  if ! "$python" "$script" --coefficients "$work/$name.coefficients.json" "$csv" > "$work/$name.numpy"; then
    fail "$name: linear_fit.py found no fit"; continue
  fi
  au=$(json_number au_km "$work/$name.json") sigma=$(json_number au_sigma_formal_km "$work/$name.json")
  rejected=$(json_number timings_rejected "$work/$name.json")
  au_numpy=$(line_number au_km "$work/$name.numpy") sigma_numpy=$(line_number au_sigma_km "$work/$name.numpy")
  if [ "$rejected" = 0 ] && awk -v a="$au" -v b="$au_numpy" -v s="$sigma" -v t="$sigma_numpy" \
       'BEGIN { d = a / b - 1; e = s / t - 1; exit !(a > 0 && s > 0 && d * d < 1e-18 && e * e < 1e-18) }'; then
    checks=$((checks + 1))
  else
    fail "$name: transitfit $au +- $sigma km ($rejected rejected), numpy $au_numpy +- $sigma_numpy km"
  fi
done

echo "linear fit against numpy: $checks passed, $failures failed"
[ "$failures" -eq 0 ]
