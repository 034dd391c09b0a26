#!/usr/bin/env bash
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
echo "$checks passed, $failures failed"
[ "$failures" -eq 0 ]
