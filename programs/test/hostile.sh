#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# Odd and hostile input through the built programs: random bytes, a 10 MB line, NUL bytes, a console that
# takes no output, and the end of input after every single line of a dialogue. Every run must end by itself.
# Usage: hostile.sh LIMBTIMER CHORDSPAN RANDOM_BYTES
set -u
limbtimer=$1 chordspan=$2 random_bytes=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0 checks=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { checks=$((checks + 1)); }

# Result lines must hold a number: label, blanks, [-]digits.decimals, unit.
results_are_numbers() {
  ! grep -a -E '^      (Astronomical Unit|Astronomische Einheit|Solar Parallax|Sonnenparallaxe) ' "$1" |
    grep -a -v -E '^      [A-Za-z ]+:( *-?[0-9]+\.[0-9] (Mill|Mio)\. km| *-?[0-9]+\.[0-9]{3}")$' | grep -q .
}

run() {  # run NAME SECONDS EXPECTED_STATUS PROGRAM < input: output goes to $work/NAME.out
  local name=$1 seconds=$2 expected=$3 program=$4 status
  LC_ALL=C timeout $((seconds * ${TIMEOUT_SCALE:-1})) "$program" > "$work/$name.out"
  status=$?
  if [ "$status" -ne "$expected" ]; then fail "$name: exit status $status, expected $expected"; return 1; fi
  pass
}

for program in "$limbtimer" "$chordspan"; do
  name=$(basename "$program")
  contacts='\n'; [ "$name" = chordspan ] && contacts='\n\n'

  for seed in 1 2 3 4 5; do
    "$random_bytes" "$seed" 262144 > "$work/random"
    run "$name-random-$seed" 20 0 "$program" < "$work/random" &&
      { results_are_numbers "$work/$name-random-$seed.out" && pass || fail "$name random $seed: result not a number"; }
  done

  # A 10 MB answer at the latitude prompt (refused, being longer than 64 KiB) and at the time prompt (cut).
  { printf "e\n$contacts\n"; head -c 10000000 /dev/zero | tr '\0' 7; printf '\n1\n\n\n'; head -c 10000000 /dev/zero | tr '\0' 5
    printf '\n'; } > "$work/long"
  run "$name-long-line" 20 0 "$program" < "$work/long" &&
    { [ "$(tr -cd '\a' < "$work/$name-long-line.out" | wc -c)" -eq 1 ] && pass || fail "$name long line: one bell expected"; }

  # NUL bytes are answers like any other: a contact of NUL is unreadable, and is shown back as typed.
  printf 'e\n\0\n' > "$work/nul"
  run "$name-nul" 1 0 "$program" < "$work/nul" &&
    { grep -q -a -F "$(printf '\a')" "$work/$name-nul.out" && [ "$(tr -cd '\0' < "$work/$name-nul.out" | wc -c)" -eq 1 ] &&
      pass || fail "$name NUL: expected a bell and the NUL shown back"; }

  # A console that takes no output: the program stops at once instead of answering endless input.
  yes '' | LC_ALL=C timeout $((5 * ${TIMEOUT_SCALE:-1})) "$program" >&-; status=$?
  [ "$status" -eq 1 ] && pass || fail "$name: closed output ended with status $status, expected 1"
  yes '' | timeout $((5 * ${TIMEOUT_SCALE:-1})) "$program" > /dev/full; status=$?
  [ "$status" -eq 1 ] && pass || fail "$name: output to /dev/full ended with status $status, expected 1"
done

# The end of input after every line of two passes: status 0 within a second, and the output is the
# output of the whole dialogue up to that prompt, then one line end.
check_every_end() {
  local program=$1 input=$2 name lines n
  name=$(basename "$program")
  LC_ALL=C "$program" < "$input" > "$work/whole"
  lines=$(wc -l < "$input")
  for n in $(seq 0 "$lines"); do
    head -n "$n" "$input" > "$work/part"
    run "$name-end-$n" 1 0 "$program" < "$work/part" || continue
    local out="$work/$name-end-$n.out" size
    size=$(($(wc -c < "$out") - 1))
    if [ "$(tail -c 1 "$out" | od -An -c | tr -d ' ')" = '\n' ] && cmp -s -n "$size" "$out" "$work/whole"; then
      pass
    else
      fail "$name: end of input after line $n"
    fi
  done
}
printf 'g\n7\n2\n\nabc\n52\nw\n\n05:00:00\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n' > "$work/limbtimer.in"
check_every_end "$limbtimer" "$work/limbtimer.in"
printf 'e\n3\n1\n2\n4\n\n1e400\n52\nw\n\n05:00:00\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n' > "$work/chordspan.in"
check_every_end "$chordspan" "$work/chordspan.in"

echo "$checks passed, $failures failed"
[ "$failures" -eq 0 ]
