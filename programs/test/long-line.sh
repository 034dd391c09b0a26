#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# Answer lines of several GiB without a line end in sight (a `tr -d '\n'` slip, a binary file piped in), streamed
# from a generator through the built programs: peak memory stays under LIMIT_KB (default 16384), a long line at a
# number prompt is refused with one bell, one at the time prompt counts as its first 64 KiB, and the dialogue
# goes on to its results.
# Usage: long-line.sh LIMBTIMER CHORDSPAN PEAK_MEMORY [LIMIT_KB]
set -u
limbtimer=$1 chordspan=$2 peak_memory=$3 limit=${4:-16384}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0 checks=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then checks=$((checks + 1)); else echo "FAIL: $what"; failures=$((failures + 1)); fi
}
bytes() { head -c "$1" /dev/zero | tr '\0' "$2"; }  # bytes COUNT CHARACTER: COUNT times CHARACTER, no line end
Kib64=65536
Gib=1073741824

# Lengths of the bracketed answers the output shows back, of those matching a pattern.
shown_lengths() { grep -a -o "$1" "$2" | awk '{print length - 2}' | sort -u | tr '\n' ' '; }

# limbtimer: 2 GiB at the latitude prompt, then 1 GiB at site 2's time prompt that starts with the default time;
# a second pass with every answer remembered.
{
  printf 'e\n\n\n'; bytes $((2 * Gib)) 7; printf '\n51.47\n\n\n\n\n\n\n\n'
  printf '05:17:21'; bytes $Gib ' '; printf '\n'
  printf '\n\n\n\n\n\n\n\n\n\n\n'
} | { start=$(date +%s%N); "$peak_memory" "$work/peak" "$limbtimer" > "$work/limbtimer.out"; echo $? > "$work/status"
      echo $(( ($(date +%s%N) - start) / 1000000 )) > "$work/ms"; }
peak=$(cat "$work/peak") out=$work/limbtimer.out
echo "limbtimer: 3 GiB in $(cat "$work/ms") ms, peak memory $peak kB, output $(stat -c %s "$out") bytes"
check "limbtimer ended with status $(cat "$work/status")" [ "$(cat "$work/status")" -eq 0 ]
check "limbtimer peak memory $peak kB, limit $limit kB" [ "$peak" -lt "$limit" ]
check "limbtimer: one bell expected" [ "$(tr -cd '\a' < "$out" | wc -c)" -eq 1 ]
check "limbtimer: the refused line is shown back as its first 64 KiB" \
      [ "$(shown_lengths '(77*)' "$out")" = "$Kib64 " ]
check "limbtimer: the long time is remembered as its first 64 KiB" \
      [ "$(shown_lengths '(05:17:21  *)' "$out")" = "$Kib64 " ]
check "limbtimer: two passes with the default result expected" \
      [ "$(grep -a -c -F -e 'Astronomical Unit                 : 142.4 Mill. km' -e 'Solar Parallax                    :  9.220"' \
           "$out")" -eq 4 ]

# chordspan: 1 GiB at the start contact prompt, an integer prompt.
{
  printf 'e\n'; bytes $Gib 2; printf '\n2\n\n\n\n\n\n\n\n\n\n\n\n'
} | { "$peak_memory" "$work/peak" "$chordspan" > "$work/chordspan.out"; echo $? > "$work/status"; }
peak=$(cat "$work/peak") out=$work/chordspan.out
echo "chordspan: 1 GiB, peak memory $peak kB, output $(stat -c %s "$out") bytes"
check "chordspan ended with status $(cat "$work/status")" [ "$(cat "$work/status")" -eq 0 ]
check "chordspan peak memory $peak kB, limit $limit kB" [ "$peak" -lt "$limit" ]
check "chordspan: one bell expected" [ "$(tr -cd '\a' < "$out" | wc -c)" -eq 1 ]
check "chordspan: the default result expected" \
      [ "$(grep -a -c -F -e 'Astronomical Unit                 : 149.6 Mill. km' "$out")" -eq 1 ]

echo "$checks passed, $failures failed"
[ "$failures" -eq 0 ]
