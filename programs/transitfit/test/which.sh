#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# Whole runs of the built transitfit on files without dates: the timings name their transit, or the run
# names the candidates and gives no AU; never 2004 by default.
# Usage: which.sh TRANSITFIT SAMPLE_FOLDER
set -u
transitfit=$1 samples=$2
maker=$(dirname "$transitfit")/make_campaign
sample=$samples/campaign-2004.csv
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0 checks=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { checks=$((checks + 1)); }

# The 2012 sample without its dates, 1769 and Mercury 2019 from the ephemeris's own solver (Mercury's
# transit of 1789 comes within a quarter of an hour of 2019's).
cut -d, -f1-3,5- "$samples/campaign-2012.csv" > "$work/undated-2012.csv"
"$maker" local 1769-06-03 | cut -d, -f1-3,5- > "$work/undated-1769.csv"
"$maker" local 2019-11-11 | cut -d, -f1-3,5- > "$work/undated-2019.csv"
for expected in 2012:venus:2012-06-06 1769:venus:1769-06-03 2019:mercury:2019-11-11; do
  IFS=: read -r name planet date <<< "$expected"
  if ! head -1 "$work/undated-$name.csv" | grep -q date &&
     "$transitfit" --format json "$work/undated-$name.csv" > "$work/undated-$name.json" &&
     grep -q "\"planet\": \"$planet\"" "$work/undated-$name.json" && grep -q "\"date\": \"$date\"" "$work/undated-$name.json"; then pass
  else fail "undated $name: not the transit of $planet $date"; fi
done

# Five timings of 2004 at five sites, one typed in local time: too few for an AU, but the transit is 2004's.
{ head -1 "$sample"; grep -E '^(Greenwich,.*,1,|Madrid,.*,4,|Helsinki,.*,1,|Cape Town,.*,4,|Mumbai,.*,1,)' "$sample" | sed '3s/,05:/,07:/'; } \
  > "$work/five.csv"
if [ "$(grep -c ',07:' "$work/five.csv")" -eq 1 ] && "$transitfit" "$work/five.csv" 2> /dev/null | head -1 | grep -q '^Transit of Venus, 8 June 2004$'; then pass
else fail "five timings, one in local time: not the transit of 2004"; fi

# The sample's times twelve hours off match no transit: status 1, one sentence that says how to name the
# transit, the closest candidates in the JSON and in the German report.
awk -F, -v OFS=, 'NR > 1 { split($5, a, ":"); $5 = sprintf("%02d:%s:%s", (a[1] + 12) % 24, a[2], a[3]) } 1' "$sample" > "$work/night.csv"
"$transitfit" --format json "$work/night.csv" > "$work/night.json" 2> "$work/night.err"; got=$?
if [ "$got" -eq 1 ] && [ "$(wc -l < "$work/night.err")" -eq 1 ] &&
   grep -q 'no transit of Venus or Mercury from 1600 to 2200 matches the timings at their sites.*--transit DATE or in a date column' "$work/night.err" &&
   grep -q '"transit_candidates": \[' "$work/night.json" && ! grep -q '2004-06-08' "$work/night.json" &&
   "$transitfit" --language de "$work/night.csv" 2> /dev/null | grep -q '^Transit nicht erkannt: kein Venus- oder Merkurtransit'; then pass
else fail "night: status $got, $(cat "$work/night.err")"; fi

# Two first contacts of Mercury 2078 and 2085, whose ingresses come within half a minute of each other:
# both named, status 1.
printf 'site,latitude,longitude,contact,time\nA,40,-3.7,1,11:43:00\nB,51.5,0,2,11:45:10\n' > "$work/twins.csv"
"$transitfit" "$work/twins.csv" > "$work/twins.out" 2> "$work/twins.err"; got=$?
if [ "$got" -eq 1 ] && grep -q 'Mercury 2078-11-14' "$work/twins.err" && grep -q 'Mercury 2085-11-07' "$work/twins.err" &&
   grep -q '^  Transit of Mercury, 7 November 2085: 2 of 2 timings tried match' "$work/twins.out"; then pass
else fail "twins: status $got, $(cat "$work/twins.err")"; fi

echo "transitfit which transit: $checks passed, $failures failed"
[ "$failures" -eq 0 ]
