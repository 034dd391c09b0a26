#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# Runs two builds of transitfit and transits side by side over the sample campaigns and the published
# transits, in every format and language, and compares the bytes they write. A change that is meant to keep
# the output (a new layout of the code) must leave this silent.
# Usage: same-output.sh OLD_PROGRAMS_DIR NEW_PROGRAMS_DIR   (each holds transitfit/ and transits/)
set -u
old=$(cd "$1" && pwd) new=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
differences=0 runs=0

# same NAME PROGRAM ARGS...: the program's stdout, stderr and status under both builds.
same() {
  local name=$1 program=$2; shift 2
  for build in old new; do
    local dir=$old; [ $build = new ] && dir=$new
    local args=("${@//@PLOT@/$work/$name.$build.svg}")
    (cd "$work" && LC_ALL=C.UTF-8 "$dir/$program/$program" "${args[@]}" > "$name.$build.out" 2> "$name.$build.err"
     echo "status $?" >> "$name.$build.out")
  done
  runs=$((runs + 1))
  for part in out err svg; do
    [ -e "$work/$name.old.$part" ] || [ -e "$work/$name.new.$part" ] || continue
    if ! cmp -s "$work/$name.old.$part" "$work/$name.new.$part"; then
      echo "DIFFERS: $name ($part): $program $*"
      diff "$work/$name.old.$part" "$work/$name.new.$part" | head -10
      differences=$((differences + 1))
    fi
  done
}

sample=$here/programs/transitfit/sample
[ -d "$sample" ] || sample=$here/campaign/sample
for csv in "$sample"/campaign-*.csv; do
  base=$(basename "$csv" .csv)
  for language in en de; do
    same "$base-text-$language" transitfit --language "$language" "$csv"
    same "$base-json-$language" transitfit --language "$language" --format json "$csv"
    same "$base-csv-$language" transitfit --language "$language" --format csv "$csv"
    same "$base-plot-$language" transitfit --language "$language" --plot @PLOT@ "$csv"
    same "$base-keep-all-$language" transitfit --language "$language" --keep-all --clock-offsets "$csv"
  done
  same "$base-ephemeris" transitfit --coefficients ephemeris --format json "$csv"
  same "$base-seed" transitfit --seed 7 --format json "$csv"
done
same transitfit-help transitfit --help
same transitfit-missing transitfit no-such-file.csv
for language in en de; do
  for format in text json; do
    same "list-$format-$language" transits --language $language --format $format list
    for date in 1769-06-03 2004-06-08 2012-06-05 2019-11-11 1937-05-11; do
      same "contacts-$date-$format-$language" transits --language $language --format $format contacts $date
      same "coefficients-$date-$format-$language" transits --language $language --format $format coefficients $date
    done
    same "site-$format-$language" transits --language $language --format $format contacts 2004-06-08 --site '52 31 N,13 24 O,34'
    same "south-$format-$language" transits --language $language --format $format contacts 1769-06-03 --site -17.5,-149.5
  done
done
for language in en de; do
  for format in text json; do
    same "mercury-$format-$language" transits --language $language --format $format list --planet mercury --from 2000 --to 2100
    same "iau-list-$format-$language" transits --language $language --format $format --radii iau list --from 1600 --to 1800
    same "iau-site-$format-$language" transits --language $language --format $format --radii iau contacts 1769-06-03 --site '19 29 S,149 30 W,2'
    same "grazing-$format-$language" transits --language $language --format $format coefficients 1937-05-11 --planet mercury
    same "airborne-$format-$language" transits --language $language --format $format contacts 2012-06-05 --site 60,-150,12000
  done
  # Every refusal, in both languages: the exit status and the sentence.
  n=0
  for args in "contacts 2004-13-40" "contacts 2004-02-30" "contacts 1900-02-29" "contacts 2004-6-8" "contacts 2201-06-08" \
              "coefficients 1599-12-31" "list --from 1500" "list --to 2201" "list --to 20x0" "list --from 2000.5" \
              "list --from 2100 --to 2000" "contacts 2004-06-08 --site 95,0" "contacts 2004-06-08 --site 0,-180.5" \
              "contacts 2004-06-08 --site 0,0,30000" "contacts 2004-06-08 --site 0,0,-1500" "contacts 2004-06-08 --site 0,0,-800" \
              "contacts 2004-06-08 --site 51;0" "contacts 2004-06-08 --site 1,2,3,4" "contacts 2004-06-08 --site 51,5" \
              "contacts 2004-06-08 --site 51.5X,0" "contacts 2004-06-08 --site" "contacts 2004-06-08 --delta-t abc" \
              "contacts 2004-06-08 --delta-t nan" "contacts 2004-06-08 --delta-t inf" "contacts 2004-06-08 --delta-t 4000" \
              "contacts 2004-06-08 --delta-t -64.5" "contacts 2004-06-08 --delta-t +.5" "list --planet mars" "list --radii jpl" \
              "list --format xml" "--language xx list" "contacts" "coefficients" "" "frobnicate" "--bogus list" \
              "--help --format xml" "--help --bogus" "list --help" "contacts 2005-06-08" "contacts 2004-06-08 --planet mercury" \
              "--language=de list --from 1500" "--planet mercury list"; do
    n=$((n + 1))
    # shellcheck disable=SC2086  # the words of args are the arguments
    same "refusal-$n-$language" transits --language $language $args
  done
done
same transits-delta-t-empty transits contacts 2004-06-08 --delta-t ''
same transits-help transits --help
same transits-version transits --version
same transits-bad-date transits contacts 2004-13-40
same transits-delta-t transits --delta-t 64 --radii iau contacts 2012-06-06
echo "same-output: $runs runs, $differences differences"
[ $differences -eq 0 ]
