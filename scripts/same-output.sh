#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# Runs two builds of transitfit, make_campaign and transits side by side over the sample campaigns, campaigns
# with an error of every kind planted, other transits, many observers, hostile and refused input, and the
# published transits, in every format and language, and compares the bytes they write. A change that is
# meant to keep the output (a new layout of the code) must leave this silent.
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
    local binary=$dir/$program/$program
    [ -x "$binary" ] || binary=$dir/transitfit/$program  # make_campaign stands beside transitfit
    (cd "$work" && LC_ALL=C.UTF-8 timeout 120 "$binary" "${args[@]}" < /dev/null > "$name.$build.out" 2> "$name.$build.err"
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
# every NAME FILE [OPTIONS]: every format and language, with and without rejection and clock offsets.
every() {
  local name=$1 file=$2; shift 2
  for language in en de; do
    same "$name-text-$language" transitfit --language "$language" "$@" "$file"
    same "$name-plot-$language" transitfit --language "$language" --plot @PLOT@ "$@" "$file"
    same "$name-keep-all-$language" transitfit --language "$language" --keep-all "$@" "$file"
    same "$name-offsets-$language" transitfit --language "$language" --clock-offsets "$@" "$file"
  done
  same "$name-json" transitfit --format json "$@" "$file"
  same "$name-json-offsets" transitfit --format json --clock-offsets --keep-all "$@" "$file"
  same "$name-csv" transitfit --format csv "$@" "$file"
}

# Planted errors of every kind in the 2004 sample: a time zone slip, a wrong contact, flipped coordinates,
# a duplicate row, contacts out of order, a site where the Sun had not risen, a quoted site with control
# bytes and quotes.
sed -e 's/^Potsdam,\(.*\),3,11:/Potsdam,\1,3,12:/' -e 's/^Bochum,\(.*\),2,05:39/Bochum,\1,1,05:39/' \
    -e 's/^Krakow,50.0500,19.8200/Krakow,50.0500,-19.8200/' -e 's/^Uccle,50.8000/Uccle,-50.8000/' \
    -e 's/^Ondrejov,\(.*\),3,11:03:40.0/Ondrejov,\1,3,11:23:04.2/' -e 's/^Ondrejov,\(.*\),4,11:23:04.2/Ondrejov,\1,4,11:03:40.0/' \
    "$sample/campaign-2004.csv" > "$work/planted.csv"
grep '^Paris' "$sample/campaign-2004.csv" | head -1 >> "$work/planted.csv"
printf 'New York,40.7,-74.0,1,05:19:00,3,\n"Tab\there ""quoted""\nline",-25.75,28.23,1,05:17:21,4,\n' >> "$work/planted.csv"
every planted "$work/planted.csv"
# The same as a German spreadsheet writes it: ';' between fields, decimal commas.
sed -e 's/,/;/g' -e 's/\([0-9]\)\.\([0-9]\)/\1,\2/g' "$work/planted.csv" > "$work/german.csv"
every german "$work/german.csv"
# Two files at once, the second with another observer's clock.
every two "$work/planted.csv" "$sample/campaign-2004.csv"

# Other transits: 2012 as asked, the table refused for it, Mercury, 1769, and dates with no transit.
every 2012 "$sample/campaign-2012.csv" --transit 2012-06-06
same 2012-table transitfit --transit 2012-06-05 --coefficients table "$sample/campaign-2012.csv"
same 2010 transitfit --transit 2010-01-01 "$sample/campaign-2004.csv"
same 1500 transitfit --transit 1500-06-08 "$sample/campaign-2004.csv"
same bad-transit transitfit --transit 2012-6-x "$sample/campaign-2004.csv"
sed 's/2012-06-05/2010-01-01/' "$sample/campaign-2012.csv" > "$work/dated.csv"
same dated transitfit "$work/dated.csv"
sed '3s/2012-06-05/2012-06-09/' "$sample/campaign-2012.csv" > "$work/foreign.csv"
same foreign transitfit "$work/foreign.csv"
for date in 2019-11-11 1769-06-03 2006-11-08; do
  "$old/transitfit/make_campaign" local "$date" > "$work/local-$date.csv"
  every "local-$date" "$work/local-$date.csv"
  same "make-local-$date" make_campaign local "$date"
done

# Resampling of many observers: the exact bootstrap, and the first-order one beyond 2000 observers.
"$old/transitfit/make_campaign" random 400 3 > "$work/random-400.csv"
"$old/transitfit/make_campaign" random 12000 5 > "$work/random-12000.csv"
"$old/transitfit/make_campaign" random 6000 9 40 > "$work/random-6000.csv"
for n in 400 12000 6000; do
  same "random-$n-json" transitfit --format json "$work/random-$n.csv"
  same "random-$n-seed" transitfit --seed 11 --clock-offsets "$work/random-$n.csv"
done
same make-sample make_campaign sample
same make-random make_campaign random 1000 7 3

# Hostile and refused input: no fit, empty, header only, NUL bytes, random bytes, a row over 1 MiB,
# Windows-1252 with CR LF, a directory, a name that is not UTF-8.
printf 'site,latitude,longitude,contact,time\nA,50,7,1,05:19:00\nA,50,7,1,05:19:10\n' > "$work/one-site.csv"
printf 'site,latitude,longitude,contact,time\nA,50,7,1,05:19:00\nA,50,7,2,05:39:00\nB,-26,28,1,05:17:00\n' > "$work/offsets.csv"
printf 'site,latitude,longitude,contact,time\n' > "$work/header.csv"
: > "$work/empty.csv"
printf 'site,latitude\0,longitude\n' > "$work/nul.csv"
awk 'BEGIN { srand(7); for (i = 0; i < 20000; ++i) printf "%c", int(rand() * 256) }' > "$work/random.bin"
{ printf 'site,latitude,longitude,contact,time\n'; head -c 1100000 /dev/zero | tr '\0' x; printf ',1,2,1,05:19:00\n'
  grep -v '^observer' "$sample/campaign-2004.csv"; } > "$work/long.csv"
printf 'Ort;Breite;L\xe4nge;Kontakt;Zeit\r\nK\xf6ln;50,94;6,96;1;05:19:30\r\nPretoria;-25,75;28,23;1;05:17:21\r\nQu\xe9bec;46,8;-71,2;1;05:21:00\r\n' > "$work/cp1252.csv"
mkdir -p "$work/folder"
cp "$sample/campaign-2004.csv" "$work/$(printf 'n\xe4me.csv')"
for f in one-site offsets header empty nul random.bin long cp1252; do
  file=$work/$f; [ -e "$file" ] || file=$work/$f.csv
  same "hostile-$f" transitfit "$file"
  same "hostile-$f-json" transitfit --format json --clock-offsets "$file"
  same "hostile-$f-csv" transitfit --format csv "$file"
done
same hostile-folder transitfit "$work/folder"
same hostile-name-json transitfit --format json "$(printf 'n\xe4me.csv')"
same hostile-name-text transitfit "$(printf 'n\xe4me.csv')"
same hostile-plot transitfit --plot "$work/folder" "$sample/campaign-2004.csv"
same hostile-usage transitfit --format xml
same version transitfit --version

echo "same-output: $runs runs, $differences differences"
[ $differences -eq 0 ]
