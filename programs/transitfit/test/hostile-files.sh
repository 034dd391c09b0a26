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

# Each case: NAME | how the file is made from the sample (a shell command reading $sample) | options |
# exit status | text on standard error ("" for none) | timings read ("-" when no report is written).
cases=(
  "stray-quote|sed '6s/\$/\"/' \"\$sample\"||0|f.csv:6: a quote opened here is not closed; lines 7-100 were read again as rows|99"
  "two-stray-quotes|sed '6s/\$/\"/; 50s/\$/\"/' \"\$sample\"||0|f.csv:6: a quote opened here is not closed; lines 7-50|99"
  "quoted-note|sed '6s/,\$/,\"first line\nsecond, line\"/' \"\$sample\"||0||99"
  "cr-only|tr '\n' '\r' < \"\$sample\"||0||99"
  "lone-cr|sed '6{N;s/\n/\r/}' \"\$sample\"||0||99"
  "wide-rows|sed '4s/\$/,extra,x/; 9s/\$/,y/' \"\$sample\"||0|f.csv:4: 2 rows have fields beyond the header's 7 columns|99"
  "duplicate-header|sed '1s/latitude,longitude/latitude,latitude/' \"\$sample\"||2|the header names one column twice: \"latitude\" (column 2) and \"latitude\" (column 3)|-"
  "both-layouts|sed '1s/\$/,T1/' \"\$sample\"||2|both contact and time columns and T1 to T4|-"
  "semicolon-row|sed '3s/,/;/g' \"\$sample\"||0|f.csv:3: the row is one field where the header has 7 columns separated by ','; it uses ';'|98"
  "huge-sigma|sed '2s/,3,\$/,99999,/' \"\$sample\"||0|sigma \"99999\" is too large|98"
  "marks-out-of-order|sed \"2s/51.4800/10\\\"30'/\" \"\$sample\"||0|f.csv:2: latitude|98"
  "colour-in-field|sed '2s/51.4800/\\x1b[31m51.48/' \"\$sample\"||0|f.csv:2: latitude \"\\x1B[31m51.48\" is not|98"
  "line-break-in-field|sed '2s/51.4800/\"51\\n48\"/' \"\$sample\"||0|f.csv:2: latitude \"51\\n48\" is not|98"
  "umlauts-in-field|sed '2s/51.4800/x\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4\\xc3\\xa4/' \"\$sample\"||0|f.csv:2: latitude \"xääääääääääääääääääää\" is not|98"
  "year-zero-cell|sed '1s/\$/,date/; 2,\$s/\$/,2004-06-08/; 3s/2004-06-08\$/0000-01-01/' \"\$sample\"||0|f.csv:3: date \"0000-01-01\" is outside the years 1600-2200|98"
)

for entry in "${cases[@]}"; do
  IFS='|' read -r name make options expected message count <<< "$entry"
  mkdir -p "$work/$name"
  (cd "$work/$name" && eval "$make") > "$work/$name/f.csv"
  # shellcheck disable=SC2086
  (cd "$work/$name" && "$transitfit" $options f.csv > out 2> err; echo $? > status)
  got=$(cat "$work/$name/status") checks=$((checks + 1))
  read_count=$(grep -o 'Timings: [0-9]* read' "$work/$name/out" | grep -o '[0-9]*' || echo -)
  if [ "$got" != "$expected" ]; then fail "$name: status $got, expected $expected: $(head -3 "$work/$name/err")"; continue; fi
  if [ -n "$message" ] && ! grep -qF -- "$message" "$work/$name/err"; then fail "$name: no '$message' in: $(head -3 "$work/$name/err")"; continue; fi
  if [ -z "$message" ] && [ -s "$work/$name/err" ]; then fail "$name: unexpected words: $(head -3 "$work/$name/err")"; continue; fi
  if [ "$read_count" != "$count" ]; then fail "$name: $read_count timings read, expected $count"; continue; fi
done

echo "transitfit hostile files: $((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
