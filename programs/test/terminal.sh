#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# Both programs in a real terminal (tmux), as a person sees them: in a UTF-8 locale and in the C locale.
# Every prompt must be on the screen before anything is typed at it.
# Usage: terminal.sh LIMBTIMER CHORDSPAN
set -u
limbtimer=$1 chordspan=$2
work=$(mktemp -d)
socket="limbtimer-terminal-$$"
tmux_() { LC_ALL=C.UTF-8 tmux -L "$socket" -f /dev/null "$@"; }
trap 'tmux_ kill-server 2>/dev/null; rm -rf "$work"' EXIT
failures=0 checks=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

screen() { tmux_ capture-pane -p -t test; }

# Waits until the screen shows text (a fixed string); the program must have written and flushed it.
see() {
  local tries=0
  until screen | grep -q -F -- "$1"; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ]; then
      fail "not on screen: '$1'"
      screen | sed 's/^/  | /'
      return 1
    fi
    sleep 0.05
  done
  checks=$((checks + 1))
}

type_() { tmux_ send-keys -t test "$@"; }

# A shell in a terminal of the given locale, with its raw output logged to check bytes the screen hides.
start() {
  tmux_ kill-session -t test 2>/dev/null
  : > "$work/raw"
  tmux_ new-session -d -s test -x 132 -y 50 \
    "env -i PATH=/usr/bin:/bin TERM=xterm LANG=$1 LC_ALL=$1 PS1='shell\$ ' bash --norc --noprofile -i"
  tmux_ pipe-pane -o -t test "cat >> $work/raw"
  see 'shell$' || exit 1
}

bells() { tr -cd '\a' < "$work/raw" | wc -c; }
# Waits until the raw log holds n bells: the log follows the screen a little later, and after Enter at a
# prompt already on screen the screen shows nothing new to wait for.
bells_reach() {
  local tries=0
  until [ "$(bells)" -ge "$1" ]; do
    tries=$((tries + 1))
    [ "$tries" -gt 100 ] && return 1
    sleep 0.05
  done
  [ "$(bells)" -eq "$1" ]
}

# UTF-8: German, with a refused contact, all defaults, then Ctrl-D at the next prompt.
start C.UTF-8
type_ "$limbtimer" Enter
see 'english/german (e/g) ?  (e)' && type_ g Enter
see '1., 2., 3. oder 4. Kontakt (1/2/3/4)   ?  (1)' && type_ 7 Enter
see '?  (7)' && bells_reach 1 && checks=$((checks + 1)) || fail "one bell after a refused contact"
type_ Enter
see '?  (7)' && bells_reach 2 && checks=$((checks + 1)) || fail "a bell for Enter on a refused answer"
type_ 1 Enter
for site in 1 2; do
  see "Beobachtung $site:"
  see "      nördliche/südliche Breite (n/s)   ?  ($([ $site = 1 ] && echo n || echo s))" && type_ Enter
  see "geografische Breite in Grad       :  ($([ $site = 1 ] && echo 51.47 || echo 26.18))" && type_ Enter
  see "      westliche/östliche Länge (w/o)    ?  (o)" && type_ Enter
  see "geografische  Länge in Grad       :  ($([ $site = 1 ] && echo 7.0 || echo 28.0))" && type_ Enter
  see "Kontaktzeit (hh:mm:ss)            :  ($([ $site = 1 ] && echo 05:19:51 || echo 05:17:21))" && type_ Enter
done
see '      Astronomische Einheit             : 142.4 Mio. km'
see '      Sonnenparallaxe                   :  9.220"'
see '?  (1)'
type_ C-d
see 'shell$ ' && type_ 'echo "status=$?"' Enter
see 'status=0'
# After Ctrl-D the shell's prompt starts a line of its own.
screen | grep -q -E '^shell\$ echo' && checks=$((checks + 1)) || fail "shell prompt not on a new line after Ctrl-D"

# Ctrl-C at the first prompt of chordspan ends it.
type_ clear Enter
type_ "$chordspan" Enter
see 'english/german (e/g) ?  (e)' && type_ Enter
see 'first observed contact (1/2)            ?  (2)' && type_ C-c
see 'shell$ ' && type_ 'echo "status=$?"' Enter
see 'status=130'

# C locale: the German letters go out as DOS code page bytes (ö is 0x94, ü 0x81), not as UTF-8.
start C
type_ "$chordspan" Enter
see 'english/german (e/g) ?  (e)' && type_ d Enter
see 'Kontakt bei Beginn des Durchganges (1/2) ?  (2)' && type_ Enter
see 'Kontakt bei  Ende  des Durchganges (3/4) ?  (3)' && type_ Enter
see 'Beobachtung 1:'
sleep 0.2
if grep -q -a -F "$(printf 'n\x94rdliche/s\x81dliche')" "$work/raw" && ! grep -q -a -F 'nördliche' "$work/raw"; then
  checks=$((checks + 1))
else
  fail "C locale: expected DOS code page bytes"
fi
type_ C-d
see 'shell$ ' && type_ 'echo "status=$?"' Enter
see 'status=0'

echo "$checks passed, $failures failed"
[ "$failures" -eq 0 ]
