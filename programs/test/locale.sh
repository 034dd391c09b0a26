#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# The console's charset from the environment's locale, through the built programs: a UTF-8 locale that is
# named but was never generated (xx_XX does not exist) still gets UTF-8, decided by the first of LC_ALL,
# LC_CTYPE, LANG that is set and not empty; every other name gets what it got before.
# Usage: locale.sh LIMBTIMER CHORDSPAN SOURCE_DIR
set -u
limbtimer=$1 chordspan=$2 source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0 checks=0
if locale -a 2> /dev/null | grep -q -i '^xx_XX'; then
  echo "FAIL: a locale xx_XX is installed here, so the test would not test the fallback"; exit 1
fi

# Each case: the transcript whose output is expected (utf8: defaults-german-utf8, dos: defaults-german),
# then the environment.
cases=(
  "utf8 LANG=xx_XX.UTF-8"
  "utf8 LANG=xx_XX.utf8"
  "utf8 LC_ALL=xx_XX.Utf-8@euro"
  "utf8 LC_ALL= LC_CTYPE= LANG=xx_XX.UTF-8"
  "utf8 LC_CTYPE=xx_XX.UTF-8 LANG=xx_XX.ISO-8859-1"
  "dos LC_ALL=xx_XX.ISO-8859-1 LANG=xx_XX.UTF-8"
  "dos LC_CTYPE=xx_XX LANG=xx_XX.UTF-8"
  "dos LANG=xx_XX"
  "dos LC_ALL=C LANG=xx_XX.UTF-8"
  "utf8 LC_ALL=C.UTF-8"
  "dos"
)
for program in "$limbtimer" "$chordspan"; do
  name=$(basename "$program")
  for entry in "${cases[@]}"; do
    read -r kind settings <<< "$entry"
    transcript=defaults-german; [ "$kind" = utf8 ] && transcript=defaults-german-utf8
    # shellcheck disable=SC2086 # the settings are words on purpose
    env -i PATH="$PATH" $settings "$program" < "$source/programs/$name/transcripts/$transcript.in" > "$work/out"
    if cmp -s "$work/out" "$source/programs/$name/transcripts/$transcript.out"; then
      checks=$((checks + 1))
    else
      echo "FAIL: $name with [$settings]: expected the output of $transcript"; failures=$((failures + 1))
    fi
  done
done
echo "$checks passed, $failures failed"
[ "$failures" -eq 0 ]
