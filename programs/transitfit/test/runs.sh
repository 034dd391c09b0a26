#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# Whole runs of the built transitfit: the two-site identities against the built dialogue programs' printed
# digits, the sample campaign and its planted errors, and an exit status and a clear word for bad input.
# Usage: runs.sh TRANSITFIT LIMBTIMER CHORDSPAN TEST_FOLDER
set -u
transitfit=$1 limbtimer=$2 chordspan=$3 here=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0 checks=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { checks=$((checks + 1)); }

# A number from the JSON report: the first "key": value.
json_number() { grep -o "\"$1\": [-0-9.e+]*" "$2" | head -1 | sed 's/.*: //'; }

# identity NAME DIALOGUE DIALOGUE_INPUT CSV [OPTIONS]: the dialogue's printed AU and parallax, rounded as it
# prints them, come out of transitfit's fit of the same observations with the linear model, every timing kept
# (the dialogues take any site and time, the Sun up or not).
identity() {
  local name=$1 dialogue=$2 input=$3 csv=$4; shift 4
  printf "$input" | LC_ALL=C timeout $((5 * ${TIMEOUT_SCALE:-1})) "$dialogue" > "$work/$name.dialogue"
  local au parallax
  au=$(grep -a -m1 'Astronomical Unit  *:' "$work/$name.dialogue" | grep -o -- '-\?[0-9]*\.[0-9]')
  parallax=$(grep -a -m1 'Solar Parallax' "$work/$name.dialogue" | grep -o -- '-\?[0-9]*\.[0-9]*')
  printf "$csv" > "$work/$name.csv"
  if ! timeout $((10 * ${TIMEOUT_SCALE:-1})) "$transitfit" --format json --model linear --keep-all "$@" "$work/$name.csv" > "$work/$name.json"; then
    fail "$name: transitfit found no fit"; return
  fi
  local fitted_au fitted_parallax
  fitted_au=$(awk -v v="$(json_number au_km "$work/$name.json")" 'BEGIN { printf "%.1f", v / 1e6 }')
  fitted_parallax=$(awk -v v="$(json_number parallax_arcsec "$work/$name.json")" 'BEGIN { printf "%.3f", v }')
  if [ "$fitted_au" = "$au" ] && [ "$fitted_parallax" = "$parallax" ]; then pass
  else fail "$name: dialogue $au / $parallax, transitfit $fitted_au / $fitted_parallax"; fi
}

header='site,latitude,longitude,contact,time\n'
identity limbtimer-defaults "$limbtimer" 'e\n\n\n\n\n\n\n\n\n\n\n\n' \
  "${header}Essen,51.47,7.0,1,05:19:51\nPretoria,-26.18,28.0,1,05:17:21\n"
# Made-up times that no transit's contacts match (contact 4 at night in New York; durations minutes from
# the sites' own; a clock an hour fast) name their transit as the dialogues take it.
identity limbtimer-contact-4 "$limbtimer" 'e\n4\ns\n33.9\nw\n18.4\n06:01:10\nn\n40.7\nw\n74.0\n05:59:00\n' \
  "${header}A,33.9S,18.4W,4,06:01:10\nB,40.7N,74.0W,4,05:59:00\n" --transit 2004-06-08
identity chordspan-defaults "$chordspan" 'e\n\n\n\n\n\n\n\n\n\n\n\n\n' \
  "${header}Essen,51.47,7.0,2-3,05:24:08\nPretoria,-26.18,28.0,2-3,05:33:41\n"
identity chordspan-1-4 "$chordspan" 'e\n1\n4\n\n\n\n\n06:10:00\n\n\n\n\n06:20:30\n' \
  "${header}Essen,51.47,7.0,1-4,06:10:00\nPretoria,-26.18,28.0,1-4,06:20:30\n" --transit 2004-06-08
# The same durations as clock times, the second site's clock an hour fast: only differences count.
identity chordspan-clocks "$chordspan" 'e\n\n\n\n\n\n\n\n\n\n\n\n\n' \
  "${header}Essen,51.47,7.0,2,05:32:00\nEssen,51.47,7.0,3,10:56:08\nPretoria,-26.18,28.0,2,06:30:00\nPretoria,-26.18,28.0,3,12:03:41\n" \
  --clock-offsets --transit 2004-06-08

# The sample campaign: the committed file is what the generator writes, its AU lies within its stated
# uncertainty of the one it was made with, and each planted error is named.
sample=$here/../sample/campaign-2004.csv
maker=$(dirname "$transitfit")/make_campaign
if "$maker" sample | cmp -s - "$sample"; then pass; else fail "sample: the committed file differs from make_campaign sample"; fi
# The benchmark's generator: four timings per observer unless told otherwise, then that many, round the contacts.
if "$maker" random 103 5 | cmp -s - <("$maker" random 103 5 4); then pass; else fail "make_campaign: PER_OBSERVER 4 is not the default"; fi
"$maker" random 100 5 40 > "$work/forty.csv"
observers=$(tail -n +2 "$work/forty.csv" | cut -d, -f1 | sort -u | wc -l)
fifth=$(sed -n 6p "$work/forty.csv" | cut -d, -f1,4)
if [ "$observers" -eq 3 ] && [ "$fifth" = "observer 0,1" ]; then pass
else fail "make_campaign random 100 5 40: $observers observers (want 3), fifth timing '$fifth' (want 'observer 0,1')"; fi
if timeout $((20 * ${TIMEOUT_SCALE:-1})) "$transitfit" --format json --plot "$work/sample.svg" "$sample" > "$work/sample.json"; then
  au=$(json_number au_km "$work/sample.json") sigma=$(json_number au_sigma_km "$work/sample.json")
  if awk -v a="$au" -v s="$sigma" 'BEGIN { d = a - 149597870.7; exit !(d * d <= 4 * s * s && s > 1e5 && s < 3e6) }'; then pass
  else fail "sample: AU $au +- $sigma does not hold 149597870.7 within two uncertainties"; fi
  for flag in time-zone wrong-contact coordinate-sign outlier; do
    if grep -q "\"$flag\"" "$work/sample.json"; then pass; else fail "sample: no $flag flag"; fi
  done
  if grep -q '<svg' "$work/sample.svg" && grep -q 'slope: AU = ' "$work/sample.svg"; then pass; else fail "sample: no plot"; fi
  # The README shows the committed picture: it must be the one the program draws.
  if cmp -s "$work/sample.svg" "$here/../sample/campaign-2004.svg"; then pass; else fail "sample: campaign-2004.svg is not the plot drawn now"; fi
else
  fail "sample: no fit"
fi
# The JSON report is JSON whatever the names hold: control characters, quotes, a Windows-1252 row, a file
# name that is not UTF-8.
if command -v python3 > /dev/null; then
  hostile=$work/$(printf 'n\xe4me.csv')
  { cat "$sample"; printf '"\x1b[31mred\tname ""q""\nline\\",51.5,0.1,1,05:19:37.0,3,\nK\xf6ln,50.94,6.96,1,05:19:30,3,\n'; } > "$hostile"
  for file in "$sample" "$hostile"; do
    if "$transitfit" --format json "$file" | python3 -m json.tool > /dev/null; then pass
    else fail "json: python3 -m json.tool refuses the report of $file"; fi
  done
fi
if LANG=de_DE.UTF-8 LC_ALL= LC_MESSAGES= "$transitfit" "$sample" | grep -q '^Astronomische Einheit: 1[45][0-9],[0-9] ± 0,[0-9] Mio. km'; then pass
else fail "sample: no German report under LANG=de_DE.UTF-8"; fi
if command -v rsvg-convert > /dev/null; then
  if rsvg-convert "$work/sample.svg" -o "$work/sample.png" && [ -s "$work/sample.png" ]; then pass; else fail "sample: the plot does not render"; fi
fi

# Other transits: timings from the ephemeris's own solver at each site (not from the linear model) give the
# AU within the linear model's reach, about 1 %; the 2012 example file is what the generator writes.
sample2012=$here/../sample/campaign-2012.csv
if "$maker" local 2012-06-05 | cmp -s - "$sample2012"; then pass; else fail "2012: the committed file differs from make_campaign local"; fi
for args in "$sample2012" "--transit 2012-06-05 $sample2012" "--transit 2012-06-06 --coefficients ephemeris $sample2012"; do
  # shellcheck disable=SC2086
  if timeout $((20 * ${TIMEOUT_SCALE:-1})) "$transitfit" --format json $args > "$work/2012.json" && grep -q '"date": "2012-06-06"' "$work/2012.json" &&
     awk -v a="$(json_number au_km "$work/2012.json")" 'BEGIN { exit !(a > 148.1e6 && a < 151.1e6) }'; then pass
  else fail "2012: $args gave no AU within 1 % ($(json_number au_km "$work/2012.json"))"; fi
done
# The linear model's own bias is stated for computed coefficients, not for the 2004 table, nor for the exact model.
"$transitfit" --format json --model linear "$sample2012" > "$work/2012.json"
if awk -v b="$(json_number model_bias_fraction "$work/2012.json")" 'BEGIN { exit !(b > 0.002 && b < 0.01) }' &&
   "$transitfit" --format json --model linear "$sample" | grep -q '"model_bias_fraction": null' &&
   "$transitfit" --format json "$sample2012" | grep -q '"model_bias_fraction": null'; then pass
else fail "model bias: $(json_number model_bias_fraction "$work/2012.json") for 2012, or one claimed for the table"; fi
# The 2012 sample was made by the direct solver with 149597870.7 km: the exact model comes nearer than the
# linear one, within its uncertainty (0.4 million km).
"$transitfit" --format json "$sample2012" > "$work/2012-exact.json"
if awk -v e="$(json_number au_km "$work/2012-exact.json")" -v l="$(json_number au_km "$work/2012.json")" \
       'BEGIN { d = e - 149597870.7; f = l - 149597870.7; exit !(d * d < f * f && d * d < 1.6e11) }' &&
   grep -q '"predicted_ut":"22:10:05.5"' "$work/2012-exact.json" &&
   "$transitfit" --format csv "$sample2012" | head -1 | grep -q ',predicted_ut,date_ut,time_ut,'; then pass
else fail "2012: the exact model gave $(json_number au_km "$work/2012-exact.json") km, or no predicted_ut"; fi
# A class of five at Leiden timed contact 4 in 2004 (predicted there 11:23:20.6), one pupil in local summer
# time. At the AU given, each is seen against its own prediction: that one is flagged and left out, the
# other four are kept. Then the same slip among five schools across Europe, the AU fitted.
printf 'observer,latitude,longitude,date,contact,time\nAnna,52.16,4.49,2004-06-08,4,11:23:24\nBen,52.16,4.49,2004-06-08,4,11:23:19\nCem,52.16,4.49,2004-06-08,4,11:23:30\nDora,52.16,4.49,2004-06-08,4,13:23:00\nEmil,52.16,4.49,2004-06-08,4,11:23:27\n' > "$work/class.csv"
printf 'observer,latitude,longitude,date,contact,time\nLeiden,52.16,4.49,2004-06-08,4,13:23:26\nMadrid,40.41,-3.69,2004-06-08,4,11:24:55\nAthens,37.97,23.72,2004-06-08,4,11:23:31\nStockholm,59.30,18.06,2004-06-08,4,11:22:17\nRome,41.92,12.45,2004-06-08,4,11:23:55\nReykjavik,64.13,-21.9,2004-06-08,4,11:22:58\n' > "$work/schools.csv"
for run in "class|--au 149597870.7|class.csv:5 .*time-zone outlier|5 read, 4 used, 1 rejected" \
           "schools||schools.csv:2 .*time-zone outlier|6 read, 5 used, 1 rejected"; do
  IFS='|' read -r name options flagged counts <<< "$run"
  # shellcheck disable=SC2086
  (cd "$work" && "$transitfit" $options "$name.csv" > "$name.txt")
  if grep -q "Timings: $counts" "$work/$name.txt" && grep -Eq "^$flagged" "$work/$name.txt" &&
     [ "$(grep -c 'outlier' "$work/$name.txt")" -eq 1 ] && ! grep -qi 'nan' "$work/$name.txt"; then pass
  else fail "$name: the slip is not the one timing flagged and left out: $(cat "$work/$name.txt")"; fi
done
# Noiseless exact contacts at a grid of 200+ sites: the exact model returns the AU they were made with.
"$maker" grid 2012-06-05 > "$work/grid.csv"
if [ "$(tail -n +2 "$work/grid.csv" | cut -d, -f1 | sort -u | wc -l)" -ge 200 ] &&
   "$transitfit" --format json --model exact "$work/grid.csv" > "$work/grid.json" &&
   awk -v a="$(json_number au_km "$work/grid.json")" 'BEGIN { d = a / 149597870.7 - 1; exit !(d * d < 1e-12) }'; then pass
else fail "grid: the exact model gave $(json_number au_km "$work/grid.json") km from exact contacts"; fi
# Two transits at once, as Encke reduced 1761 and 1769: one AU, each transit's contacts on their own, whether
# the timings come in two files or in one with a date column; the observers' names repeat across the two.
"$maker" grid 1761-06-06 20 > "$work/grid-1761.csv"
"$maker" grid 1769-06-03 20 > "$work/grid-1769.csv"
{ cat "$work/grid-1761.csv"; tail -n +2 "$work/grid-1769.csv"; } > "$work/grid-both.csv"
for args in "$work/grid-1761.csv $work/grid-1769.csv" "$work/grid-both.csv"; do
  # shellcheck disable=SC2086
  if timeout $((30 * ${TIMEOUT_SCALE:-1})) "$transitfit" --format json $args > "$work/both.json" &&
     awk -v a="$(json_number au_km "$work/both.json")" 'BEGIN { d = a / 149597870.7 - 1; exit !(d * d < 1e-12) }' &&
     [ "$(grep -c '"transit":"17[0-9-]*"' "$work/both.json")" -gt 8 ] &&
     python3 -c 'import json, sys; j = json.load(open(sys.argv[1])); assert [t["date"] for t in j["transits"]] in (["1761-06-06", "1769-06-03"], ["1769-06-03", "1761-06-06"]); assert len(j["contacts"]) == 8' "$work/both.json"
  then pass
  else fail "1761 + 1769 ($args): $(json_number au_km "$work/both.json") km, or not both transits' contacts"; fi
done
"$maker" local 1769-06-03 > "$work/1769.csv"
if "$transitfit" --format json "$work/1769.csv" > "$work/1769.json" &&
   awk -v a="$(json_number au_km "$work/1769.json")" 'BEGIN { exit !(a > 148.1e6 && a < 151.1e6) }'; then pass
else fail "1769: no AU within 1 %"; fi
"$maker" local 2019-11-11 > "$work/2019.csv"
if "$transitfit" "$work/2019.csv" | grep -q "Mercury's contacts move by at most [0-9]* s between sites"; then pass
else fail "2019: the report does not say that Mercury's AU is far less precise"; fi
# A first contact claimed from New York in 2004, where it came at 1 a.m.
printf 'New York,40.7,-74.0,1,05:13:40\n' | cat "$sample" - > "$work/new-york.csv"
if "$transitfit" --format csv "$work/new-york.csv" | grep -q '^.*New York,New York,1,.*below-horizon'; then pass
else fail "below-horizon: New York's first contact not flagged"; fi

# The timings of 1769 as printed (local apparent and mean time, most on the astronomical day), and the same
# timings written as the UT the program makes of them, to the millisecond: the same UT, and the same fit to the
# last digit shown (and to 1e-6 of the AU, what a millisecond of each time moves it).
data1769=$here/../../../data/transit-1769.csv
if "$transitfit" --format json "$data1769" > "$work/printed.json"; then
  # Each timing again, as a row of its UT date and time.
  python3 -c 'import csv, json, sys
w = csv.writer(sys.stdout, lineterminator="\n")
w.writerow(["observer", "site", "latitude", "longitude", "contact", "date", "time"])
for t in json.load(open(sys.argv[1]))["timings"]:
    w.writerow([t["observer"], t["site"], repr(t["latitude"]), repr(t["longitude"]), t["contact"], t["date_ut"], t["time_ut"]])' \
      "$work/printed.json" > "$work/ut-1769.csv"
  ut_times() { python3 -c 'import json, sys; print([(t["date_ut"], t["time_ut"]) for t in json.load(open(sys.argv[1]))["timings"]])' "$1"; }
  "$transitfit" --format json "$work/ut-1769.csv" > "$work/ut.json"
  "$transitfit" "$data1769" | sed -n 2,4p > "$work/printed.txt"
  "$transitfit" "$work/ut-1769.csv" | sed -n 2,4p > "$work/ut.txt"
  if [ "$(wc -l < "$work/ut-1769.csv")" -eq 136 ] && cmp -s "$work/printed.txt" "$work/ut.txt" &&
     [ "$(ut_times "$work/printed.json")" = "$(ut_times "$work/ut.json")" ] &&
     grep -q '"time_as_printed":"21:43:15",' "$work/printed.json" && grep -q '"time_basis":"local apparent",' "$work/printed.json" &&
     grep -q '"day":"astronomical"' "$work/printed.json" &&
     awk -v a="$(json_number au_km "$work/printed.json")" -v b="$(json_number au_km "$work/ut.json")" 'BEGIN { d = a / b - 1; exit !(d * d < 1e-12) }'; then pass
  else fail "1769 as printed and as UT: $(cat "$work/printed.txt") against $(cat "$work/ut.txt")"; fi
else
  fail "1769 as printed: no fit"
fi

# status NAME EXPECTED MESSAGE ARGS...: exit status and a word on standard error; standard input is empty.
status() {
  local name=$1 expected=$2 message=$3; shift 3
  local got
  timeout $((20 * ${TIMEOUT_SCALE:-1})) "$transitfit" "$@" < /dev/null > "$work/$name.out" 2> "$work/$name.err"
  got=$?
  if [ "$got" -ne "$expected" ]; then fail "$name: exit status $got, expected $expected"; return; fi
  if ! grep -q -- "$message" "$work/$name.err" "$work/$name.out"; then fail "$name: no \"$message\" in $(cat "$work/$name.err")"; return; fi
  pass
}
printf 'site,lat,lon,contact,time\n' > "$work/header-only.csv"
: > "$work/empty.csv"
head -c 200000 /dev/urandom > "$work/random.bin"
printf 'site,lat,lon,contact,time\nA,50,7,1,05:00:00\nA,50,7,1,05:00:09\n' > "$work/one-site.csv"
{ printf 'site,lat,lon,contact,time\n'; head -c 100000000 /dev/zero | tr '\0' x; printf '\nA,50,7,1,05:00:00\n'; } > "$work/long-line.csv"
status help 0 'Usage' --help
status version 0 'transitfit 1.0.0' --version
status unknown-option 2 "Try 'transitfit --help'" --bogus
status bad-format 2 "Try 'transitfit --help'" --format xml "$sample"
status missing 2 'missing.csv: cannot open (no such file)' "$work/missing.csv"
status directory 2 'is a directory' "$work"
status random-bytes 2 'not a text file' "$work/random.bin"
status empty 2 'the file is empty; expected a header row' "$work/empty.csv"
status header-only 2 'no timings below the header' "$work/header-only.csv"
status empty-stdin 2 '-: the file is empty'
status one-site 1 'no AU: the timings cannot determine the AU' --transit 2004-06-08 "$work/one-site.csv"
status long-line 1 'long-line.csv:2: the row is longer than 1 MiB' "$work/long-line.csv"
status no-transit 2 'no transit of Venus or Mercury touches 2010-01-01' --transit 2010-01-01 "$sample"
status impossible-date 2 "--transit 2012-02-30 is not a date" --transit 2012-02-30 "$sample"
status outside-catalogue 2 'is not a date from 1600 to 2200' --transit 1500-06-08 "$sample"
status table-for-2012 2 'the coefficient table is that of 8 June 2004' --transit 2012-06-05 --coefficients table "$sample"
status unwritable-plot 2 'cannot write the plot' --plot "$work/no/such/folder.svg" "$sample"

status plot-empty 2 '--plot needs the name of a file' --plot "" "$sample"
status plot-stdout 2 '--plot needs the name of a file' --plot - "$sample"

# The historic campaigns in the box, read as printed: 1769, 1761 and both together each hold the AU within
# three of their stated uncertainties; 1769 and both together state less than 3 million km. The README shows
# the 1769 plot: it must be the one the program draws.
data=$here/../../../data
for files in "transit-1769.csv" "transit-1761.csv" "transit-1761.csv transit-1769.csv"; do
  args=() limit=3e6
  for f in $files; do args+=("$data/$f"); done
  [ "$files" = transit-1761.csv ] && limit=1e7
  plot=()
  [ "$files" = transit-1769.csv ] && plot=(--plot "$work/transit-1769.svg")
  if timeout $((60 * ${TIMEOUT_SCALE:-1})) "$transitfit" --format json "${plot[@]}" "${args[@]}" > "$work/historic.json" &&
     awk -v a="$(json_number au_km "$work/historic.json")" -v s="$(json_number au_sigma_km "$work/historic.json")" -v l="$limit" \
       'BEGIN { d = a - 149597870.7; exit !(d * d <= 9 * s * s && s > 0 && s < l) }'; then pass
  else fail "historic $files: AU $(json_number au_km "$work/historic.json") +- $(json_number au_sigma_km "$work/historic.json")"; fi
done
if cmp -s "$work/transit-1769.svg" "$data/transit-1769.svg"; then pass; else fail "data/transit-1769.svg is not the plot drawn now"; fi

# Out of memory is a sentence and status 2, not an abort (not under the sanitizers, which need far more
# address space than a limit leaves).
if ! ldd "$transitfit" 2> /dev/null | grep -q libasan; then
  "$maker" random 200000 > "$work/big.csv"
  err=$(ulimit -v 60000; "$transitfit" "$work/big.csv" 2>&1 > /dev/null); got=$?
  if [ "$got" -eq 2 ] && [[ $err == *"out of memory after reading"* ]]; then pass; else fail "out of memory: exit status $got: $err"; fi
fi

# A campaign large enough to be cut into pieces for the processors (the predictions, the rows of the
# weighted system, the sorts, the robust weights, the reports' tables), with an odd number of observers: each
# report, byte for byte, is the one the program wrote when it did all on one thread (the digest of that run's
# report, read from standard input). Into a regular file the timings are written at their places, side by
# side: the same bytes, and after what a file opened to append already holds.
"$maker" random 140004 1 4 > "$work/pieces.csv"
for expected in json:17575cfc13ace372da55528713b19ee859b2d690cb6399535c9403f2c6886e86 \
                text:c291a15b7ae907c32dcc68509be84b682affe1e1aa6d52f0c96caaaa4288cadd \
                csv:852a81be29b81807ecae9ff50b771270ce309983b43488e5a00492d4b0fee986; do
  format=${expected%%:*}
  run() { timeout $((60 * ${TIMEOUT_SCALE:-1})) "$transitfit" --format "$format" --transit 2004-06-08 - < "$work/pieces.csv"; }
  digest=$(run | sha256sum | cut -d' ' -f1)
  if [ "$digest" = "${expected#*:}" ]; then pass
  else fail "pieces: the $format report of 140,004 timings is not the one a single thread wrote (sha256 $digest)"; fi
  run > "$work/pieces.out"
  echo before > "$work/appended.out"
  run >> "$work/appended.out"
  if [ "$(sha256sum < "$work/pieces.out" | cut -d' ' -f1)" = "$digest" ] &&
     [ "$(tail -c +8 "$work/appended.out" | sha256sum | cut -d' ' -f1)" = "$digest" ] && [ "$(head -c 7 "$work/appended.out")" = before ]; then pass
  else fail "pieces: the $format report written into a file is not the one written through a pipe"; fi
done

# A report that cannot be written is not a success.
err=$("$transitfit" "$sample" 2>&1 > /dev/full); got=$?
if [ "$got" -eq 2 ] && [[ $err == *"cannot write the report"* ]]; then pass; else fail "full disc: exit status $got: $err"; fi
# Nor is one cut off by the limit of a file's size, whether the threads write it at places or, appended to,
# through the stream: a sentence and status 2, not a signal that ends the program without a word.
for format in text csv json; do
  for redirect in '>' '>>'; do
    rm -f "$work/limited.out"
    err=$(ulimit -f 1000; eval "\"\$transitfit\" --format $format \"\$work/pieces.csv\" 2>&1 $redirect \"\$work/limited.out\""); got=$?
    if [ "$got" -eq 2 ] && [[ $err == *"cannot write the report"* ]]; then pass
    else fail "file size limit, $format written with $redirect: exit status $got: $err"; fi
  done
done

echo "transitfit runs: $checks passed, $failures failed"
[ "$failures" -eq 0 ]
