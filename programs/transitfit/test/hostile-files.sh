#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# Hostile and careless files, each made from the sample campaign: the exit status, the word on standard
# error and how many timings were read. Nothing may vanish without a message that names its line.
# Usage: hostile-files.sh TRANSITFIT SAMPLE_CSV
set -u
transitfit=$(realpath "$1") sample=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0 checks=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Sixty "students" who copied Bochum's four timings under their own names.
copy_bochum() { cat "$sample"; for i in $(seq "$1"); do grep '^Bochum,' "$sample" | sed "s/^Bochum/Student $i/"; done; }

# The 1769 transit from the ephemeris at the world's observatories, with only four timings of contact 4: a
# few of the bootstrap's resamples lack them all, the rest still measure the spread.
few_fourth_contacts() {
  "$(dirname "$transitfit")/make_campaign" local 1769-06-03 > all.csv
  head -1 all.csv; tail -n +2 all.csv | awk -F, '$5 != 4'; tail -n +2 all.csv | awk -F, '$5 == 4' | head -4
}

# Each case: NAME | how the file is made from the sample (a shell command reading $sample) | options |
# exit status | text on standard error ("" for none) | text in the report ("" for any) | timings read ("-"
# when no report is written).
cases=(
  "five-copies|printf 'observer,latitude,longitude,contact,time\\nA,51.5,7,1,05:19:51\\nB,51.5,7,1,05:19:51\\nC,51.5,7,1,05:19:51\\nD,51.5,7,1,05:19:51\\nE,51.5,7,1,05:19:51\\nF,-26.18,28,1,05:17:21\\nG,-26.18,28,1,05:17:25.6\\nH,40,-3.7,1,05:19:04\\n'||0||Timings: 8 read, 4 used, 0 rejected|8"
  "identical-times|printf 'site,latitude,longitude,contact,time\\nA,51,7,1,05:19:51\\nB,-26,28,1,05:19:51\\nC,40,-3,1,05:19:51\\n'|--format json|1|no AU: the timings give no distance|\"au_bounded\": false|-"
  "day-long-duration|printf 'site,latitude,longitude,contact,time\\nEssen,51.47,7.0,2-3,05:24:08\\nPretoria,-26.18,28.0,2-3,05:33:41\\nMadrid,40.4,-3.7,2-3,25:33:41\\n'||0|f.csv:4: a duration of 92021 s from contact 2 to 3 is longer than the transit allows|Astronomical Unit: 149.9 million km|2"
  "first-date-wrong|sed '1s/\$/,date/; 2,\$s/\$/,2004-06-08/; 2s/2004-06-08\$/2004-06-18/' \"\$sample\"||0|f.csv:2: the date 2004-06-18 is not a day of the transit of 2004-06-08|Timings: 98 read|98"
  "dated-0000-throughout|sed '1s/\$/,date/; 2,\$s/\$/,0000-06-08/' \"\$sample\"||2|no file holds a readable timing||-"
  "transit-0000|cat \"\$sample\"|--transit 0000-06-08|2|0000-06-08 is not a date from 1600 to 2200||-"
  "seed-negative|cat \"\$sample\"|--seed -1|2|--seed -1 is not a whole number||-"
  "plot-onto-input|cat \"\$sample\"|--plot f.csv|2|--plot f.csv is one of the input files||-"
  "plot-onto-input-by-link|ln -s f.csv l.csv; cat \"\$sample\"|--plot l.csv|2|--plot l.csv is one of the input files||-"
  "bootstrap-keeps-what-it-has|few_fourth_contacts||0||not solved) 0.|36"
  "copied-by-sixty|copy_bochum 60||0||Astronomical Unit: 148.4 ± 0.6 million km|339"
  "stray-quote|sed '6s/\$/\"/' \"\$sample\"||0|f.csv:6: a quote opened here is not closed; lines 7-100 were read again as rows||99"
  "two-stray-quotes|sed '6s/\$/\"/; 50s/\$/\"/' \"\$sample\"||0|f.csv:6: a quote opened here is not closed; lines 7-50||99"
  "quoted-note|sed '6s/,\$/,\"first line\nsecond, line\"/' \"\$sample\"||0|||99"
  "cr-only|tr '\n' '\r' < \"\$sample\"||0|||99"
  "lone-cr|sed '6{N;s/\n/\r/}' \"\$sample\"||0|||99"
  "wide-rows|sed '4s/\$/,extra,x/; 9s/\$/,y/' \"\$sample\"||0|f.csv:4: 2 rows have fields beyond the header's 7 columns||99"
  "duplicate-header|sed '1s/latitude,longitude/latitude,latitude/' \"\$sample\"||2|the header names one column twice: \"latitude\" (column 2) and \"latitude\" (column 3)||-"
  "both-layouts|sed '1s/\$/,T1/' \"\$sample\"||2|both contact and time columns and T1 to T4||-"
  "semicolon-row|sed '3s/,/;/g' \"\$sample\"||0|f.csv:3: the row is one field where the header has 7 columns separated by ','; it uses ';'||98"
  "huge-sigma|sed '2s/,3,\$/,99999,/' \"\$sample\"||0|sigma \"99999\" is too large||98"
  "marks-out-of-order|sed \"2s/51.4800/10\\\"30'/\" \"\$sample\"||0|f.csv:2: latitude||98"
  "colour-in-field|sed '2s/51.4800/\\x1b[31m51.48/' \"\$sample\"||0|f.csv:2: latitude \"\\x1B[31m51.48\" is not||98"
  "line-break-in-field|sed '2s/51.4800/\"51\\n48\"/' \"\$sample\"||0|f.csv:2: latitude \"51\\n48\" is not||98"
  "umlauts-in-field|sed '2s/51.4800/x\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4/' \"\$sample\"||0|f.csv:2: latitude \"xääääääääääääääääääää\" is not||98"
  "au-in-millions|cat \"\$sample\"|--au 149.6|2|--au 149.6 is not a distance in km||-"
  "au-given|cat \"\$sample\"|--au 149597870.7|0||Astronomical Unit: 149.5978707 million km, given with --au|99"
  "basis-unknown|sed '1s/\$/,time_basis/; 2,\$s/\$/,/; 3s/,\$/,sidereal/' \"\$sample\"||0|f.csv:3: time basis \"sidereal\" is not one of UT||98"
  "local-without-date|sed '1s/\$/,time_basis/; 2,\$s/\$/,local mean/' \"\$sample\"||2|f.csv:2: local mean time needs the date it was written on||-"
  "astronomical-without-date|sed '1s/\$/,Tag/; 2,\$s/\$/,/; 5s/,\$/,astronomisch/' \"\$sample\"||0|f.csv:5: a time on the astronomical day needs the date||98"
  "day-unknown|sed '1s/\$/,day,date/; 2,\$s/\$/,,2004-06-08/; 7s/,,2004/,nautical,2004/' \"\$sample\"||0|f.csv:7: day \"nautical\" is neither civil nor astronomical||98"
  "slash-date|sed '1s/\$/,date/; 2,\$s/\$/,2004-06-08/; 2s/2004-06-08\$/08\/06\/2004/' \"\$sample\"||0|f.csv:2: date \"08/06/2004\" reads two ways||98"
  "use-maybe|sed '1s/\$/,use/; 2,\$s/\$/,/; 4s/,\$/,maybe/' \"\$sample\"||0|f.csv:4: use \"maybe\" is neither yes nor no||98"
  "use-no|sed '1s/\$/,verwenden/; 2,\$s/\$/,ja/; 2,5s/,ja\$/,nein/' \"\$sample\"||0||Timings: 99 read, 89 used, 6 rejected, 4 not used (use: no)|99"
  "header-unplaceable|sed '1s/latitude/Brt (Grad)/' \"\$sample\"||2|could not place column 2 \"Brt (Grad)\"||-"
  "header-with-units|sed '1s/latitude,longitude,contact,time/Latitude [deg],lon_deg,Kontakt (Nr.),UT (h:m:s)/' \"\$sample\"||0|||99"
  "minute-time|sed '2s/05:20:00.1/05:20/; 3s/05:39:45.2/05h39m45.2s/; 4s/11:04:06.2/11 04 06.2/' \"\$sample\"||0|||99"
  "year-zero-cell|sed '1s/\$/,date/; 2,\$s/\$/,2004-06-08/; 3s/2004-06-08\$/0000-01-01/' \"\$sample\"||0|f.csv:3: date \"0000-01-01\" is outside the years 1600-2200||98"
)

for entry in "${cases[@]}"; do
  IFS='|' read -r name make options expected message report count <<< "$entry"
  mkdir -p "$work/$name"
  (cd "$work/$name" && eval "$make") > "$work/$name/f.csv"
  # shellcheck disable=SC2086
  (cd "$work/$name" && "$transitfit" $options f.csv > out 2> err; echo $? > status)
  got=$(cat "$work/$name/status") checks=$((checks + 1))
  read_count=$(grep -o 'Timings: [0-9]* read' "$work/$name/out" | grep -o '[0-9]*' || echo -)
  if [ "$got" != "$expected" ]; then fail "$name: status $got, expected $expected: $(head -3 "$work/$name/err")"; continue; fi
  if [ -n "$message" ] && ! grep -qF -- "$message" "$work/$name/err"; then fail "$name: no '$message' in: $(head -3 "$work/$name/err")"; continue; fi
  if [ -z "$message" ] && [ -s "$work/$name/err" ]; then fail "$name: unexpected words: $(head -3 "$work/$name/err")"; continue; fi
  if [ -n "$report" ] && ! grep -qF -- "$report" "$work/$name/out"; then fail "$name: no '$report' in: $(head -4 "$work/$name/out")"; continue; fi
  if [ "$read_count" != "$count" ]; then fail "$name: $read_count timings read, expected $count"; continue; fi
done

echo "transitfit hostile files: $((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
