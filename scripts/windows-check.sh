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

# Packed for handing out: the licence must travel beside the programs, in Windows line ends.
rm -f build/windows/limbtimer-*.zip
cpack --preset windows > /dev/null
zip=$(ls build/windows/limbtimer-*.zip)
mkdir "$work/zip" && (cd "$work/zip" && cmake -E tar xf "$OLDPWD/$zip")
for file in limbtimer.exe chordspan.exe LICENSE.txt; do
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
