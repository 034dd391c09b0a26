#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# Cross-builds the Windows console programs with MinGW-w64 and runs them under Wine through the golden
# transcripts of the Linux build, with each line end mapped to CR LF: every other byte must be identical.
# Output to a pipe or a file is not a console, so the German letters come out in the DOS code page;
# the UTF-8 cases belong to UTF-8 terminals and are left out.
set -euo pipefail
cd "$(dirname "$0")/.."
wine=/usr/lib/wine/wine64
scripts/build-libnova-mingw.sh
cmake --preset windows > /dev/null
cmake --build --preset windows > /dev/null
export WINEDEBUG=-all WINEPREFIX
WINEPREFIX=$(mktemp -d)
work=$(mktemp -d)
trap 'rm -rf "$WINEPREFIX" "$work"' EXIT
"$wine" wineboot --init > /dev/null 2>&1 || true

failures=0 checks=0
for program in limbtimer chordspan; do
  exe=build/windows/programs/$program/$program.exe
  for input in programs/$program/transcripts/*.in; do
    case=$(basename "$input" .in)
    [[ $case == *-utf8 ]] && continue
    status=0
    timeout 60 "$wine" "$exe" < "$input" > "$work/actual" 2> /dev/null || status=$?
    sed 's/$/\r/' "programs/$program/transcripts/$case.out" > "$work/expected"
    if [ "$status" -eq 0 ] && cmp -s "$work/actual" "$work/expected"; then
      checks=$((checks + 1))
    else
      echo "FAIL: $program.exe $case (exit status $status)"
      cmp "$work/actual" "$work/expected" || true
      failures=$((failures + 1))
    fi
  done
  echo "$program.exe: $(stat -c %s "$exe") bytes"
done

# transits.exe against the Linux build: the same JSON keys, strings and times (to the tenth of a second),
# and numbers within 1e-4 (the contact solver's 1e-10 day, seen in the coefficients; the C libraries'
# last bits differ elsewhere), and the same exit status for bad input.
same_json() {  # actual expected
  python3 - "$1" "$2" <<'PY'
import json, sys
def same(a, b):
    if isinstance(a, dict):
        return isinstance(b, dict) and list(a) == list(b) and all(same(a[k], b[k]) for k in a)
    if isinstance(a, list):
        return isinstance(b, list) and len(a) == len(b) and all(map(same, a, b))
    if isinstance(a, float) or isinstance(b, float):
        return isinstance(a, (int, float)) and isinstance(b, (int, float)) and abs(a - b) <= 1e-4 + 1e-9 * abs(b)
    return a == b
sys.exit(0 if same(json.load(open(sys.argv[1])), json.load(open(sys.argv[2]))) else 1)
PY
}
cmake --preset dev > /dev/null
cmake --build --preset dev --target transits > /dev/null
linux=build/dev/programs/transits/transits
exe=build/windows/programs/transits/transits.exe
for args in "contacts 2004-06-08" "list --from 1600 --to 2200" "coefficients 2019-11-11 --delta-t 69.4" \
            "contacts 2012-06-05 --site -33.9,18.47,10 --radii iau"; do
  status=0
  # shellcheck disable=SC2086
  timeout 60 "$wine" "$exe" $args --format json > "$work/actual" 2> /dev/null || status=$?
  # shellcheck disable=SC2086
  "$linux" $args --format json > "$work/expected"
  if [ "$status" -eq 0 ] && same_json "$work/actual" "$work/expected"; then
    checks=$((checks + 1))
  else
    echo "FAIL: transits.exe $args --format json (exit status $status)"
    diff <(tr -d '\r' < "$work/actual") "$work/expected" | head -20 || true
    failures=$((failures + 1))
  fi
done
status=0
timeout 60 "$wine" "$exe" contacts 2004-02-30 > /dev/null 2>&1 || status=$?
if [ "$status" -eq 2 ]; then checks=$((checks + 1)); else echo "FAIL: transits.exe bad date exit status $status"; failures=$((failures + 1)); fi
# same_picture NAME ARGS...: transits.exe ARGS --plot draws the very bytes of programs/transits/pictures/NAME,
# the picture the README shows, drawn on Linux.
same_picture() {
  local name=$1 status=0; shift
  timeout 120 "$wine" "$exe" "$@" --plot "build/windows/$name" > /dev/null 2>&1 || status=$?
  if [ "$status" -eq 0 ] && cmp -s "build/windows/$name" "programs/transits/pictures/$name"; then
    checks=$((checks + 1))
  else
    echo "FAIL: transits.exe $1 --plot does not draw programs/transits/pictures/$name (exit status $status)"
    failures=$((failures + 1))
  fi
}
same_picture path-2004.svg contacts 2004-06-08 --site 51.43,7.19 --site -25.75,28.23
same_picture map-2004.svg map 2004-06-08 --site 51.43,7.19 --site -25.75,28.23
echo "transits.exe: $(stat -c %s "$exe") bytes"

# transitfit.exe on the sample campaign: the same report as on Linux, line for line.
cmake --build --preset dev --target transitfit > /dev/null
sample=programs/transitfit/sample/campaign-2004.csv
status=0
timeout 60 "$wine" build/windows/programs/transitfit/transitfit.exe --language en "$sample" > "$work/actual" 2> /dev/null || status=$?
build/dev/programs/transitfit/transitfit --language en "$sample" | sed 's/$/\r/' > "$work/expected"
if [ "$status" -eq 0 ] && cmp -s "$work/actual" "$work/expected"; then checks=$((checks + 1)); else
  echo "FAIL: transitfit.exe on the sample campaign (exit status $status)"
  diff <(tr -d '\r' < "$work/actual") <(tr -d '\r' < "$work/expected") | head -20 || true
  failures=$((failures + 1))
fi
# And a campaign of another transit, reduced with the ephemeris's coefficients.
status=0
timeout 60 "$wine" build/windows/programs/transitfit/transitfit.exe --language en --transit 2012-06-05 \
  programs/transitfit/sample/campaign-2012.csv > "$work/actual" 2> /dev/null || status=$?
build/dev/programs/transitfit/transitfit --language en --transit 2012-06-05 programs/transitfit/sample/campaign-2012.csv |
  sed 's/$/\r/' > "$work/expected"
if [ "$status" -eq 0 ] && cmp -s "$work/actual" "$work/expected"; then checks=$((checks + 1)); else
  echo "FAIL: transitfit.exe --transit 2012-06-05 (exit status $status)"
  diff <(tr -d '\r' < "$work/actual") <(tr -d '\r' < "$work/expected") | head -20 || true
  failures=$((failures + 1))
fi
echo "transitfit.exe: $(stat -c %s build/windows/programs/transitfit/transitfit.exe) bytes"

# Packed for handing out: the licence must travel beside the programs, in Windows line ends.
rm -f build/windows/limbtimer-*.zip
cpack --preset windows > /dev/null
zip=$(ls build/windows/limbtimer-*.zip)
mkdir "$work/zip" && (cd "$work/zip" && cmake -E tar xf "$OLDPWD/$zip")
for file in limbtimer.exe chordspan.exe transitfit.exe transits.exe LICENSE.txt COPYRIGHT.txt LGPL-2.txt \
            transit-1761.csv transit-1769.csv; do
  if [ "$(find "$work/zip" -name "$file" | wc -l)" -eq 1 ]; then checks=$((checks + 1)); else
    echo "FAIL: $zip holds no $file"; failures=$((failures + 1)); fi
done
licence=$(find "$work/zip" -name LICENSE.txt)
if [ -n "$licence" ] && [ "$(dirname "$licence")" = "$(dirname "$(find "$work/zip" -name limbtimer.exe)")" ] &&
   diff -q <(tr -d '\r' < "$licence") LICENSE > /dev/null && [ "$(grep -c $'\r$' "$licence")" -eq "$(wc -l < LICENSE)" ]; then
  checks=$((checks + 1))
else
  echo "FAIL: LICENSE.txt is not LICENSE in CR LF beside the programs"; failures=$((failures + 1))
fi
echo "$zip: $(stat -c %s "$zip") bytes"
echo "$checks passed, $failures failed"
[ "$failures" -eq 0 ]
