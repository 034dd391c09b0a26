#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# Whole-program runs of the built transits: exit statuses, one sentence on standard error for bad input,
# and the JSON keys scripts read.
# Usage: program.sh path/to/transits
set -uo pipefail
transits=$1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect STATUS ARGS...: the exit status, and for status 2 one sentence and the hint on standard error.
expect() {
  local want=$1; shift
  local err status
  err=$(timeout $((20 * ${TIMEOUT_SCALE:-1})) "$transits" "$@" 2>&1 > /dev/null); status=$?
  [ "$status" -eq "$want" ] || { fail "transits $* exited $status, not $want"; return; }
  if [ "$want" -eq 2 ]; then
    [ "$(printf '%s\n' "$err" | wc -l)" -eq 2 ] || fail "transits $*: not one sentence and a hint: $err"
    [[ $err == "transits: "* ]] || fail "transits $*: message without the program's name: $err"
  fi
}

expect 0 --help
expect 0 --version
expect 0 list --planet venus
expect 0 contacts 2004-06-08
expect 0 contacts 2012-06-05 --site 51.4779,-0.0015,46
expect 0 coefficients 2019-11-11 --planet mercury
expect 0 elements 2012-06-06
expect 2 elements
expect 0 --language de contacts 2004-06-08 --radii iau
expect 1 contacts 2005-06-08
expect 2 contacts 2004-02-30
expect 2 contacts 2004-13-01
expect 2 contacts 2201-06-08
expect 2 list --from 1599
expect 2 list --to 99999999999
expect 2 contacts 2004-06-08 --site 91,0
expect 2 contacts 2004-06-08 --site 0,200
expect 2 contacts 2004-06-08 --site 0,0,1e9
expect 2 contacts 2004-06-08 --delta-t sixty
expect 2 contacts 2004-06-08 --delta-t inf
expect 2 contacts
expect 2 frobnicate
expect 2

# A full disc is a failure, with a sentence.
err=$("$transits" list 2>&1 > /dev/full); status=$?
[ "$status" -eq 1 ] && [[ $err == "transits: "* ]] || fail "transits list > /dev/full exited $status: $err"

# JSON keys, read back with a real JSON parser.
check_json() {  # python expression over j, then transits arguments
  local expression=$1; shift
  "$transits" "$@" --format json | python3 -c "import json,sys; j=json.load(sys.stdin); sys.exit(0 if ($expression) else 1)" \
    || fail "transits $* --format json: $expression"
}
check_json "set(j) >= {'planet','delta_t_s','delta_t_source','radii','min_separation_arcsec','events'} and j['delta_t_source'] == 'measured' and [e['event'] for e in j['events']] == ['C1','C2','greatest','C3','C4'] and j['events'][0]['ut'].startswith('2004-06-08T05:13:2')" contacts 2004-06-08
check_json "all('sun_altitude_deg' in e and 'p_deg' in e and 'v_deg' in e for e in j['events'])" contacts 2004-06-08 --site 52.52,13.40,34
check_json "[c['contact'] for c in j['coefficients']] == [1,2,3,4] and all(set(c) == {'contact','x_s','y_s','z_s'} for c in j['coefficients']) and j['coefficients'][2]['y_s'] < 0" coefficients 2004-06-08
check_json "len(j['transits']) == 10 and all(set(t) >= {'planet','date','events','min_separation_arcsec'} for t in j['transits'])" list --planet venus
check_json "[t['date'] for t in j['transits']] == ['2003-05-07','2004-06-08','2006-11-08','2012-06-06','2016-05-09','2019-11-11']" list --from 2000 --to 2020
check_json "j['delta_t_source'] == 'given' and j['delta_t_s'] == 69.4" contacts 2019-11-11 --delta-t 69.4
check_json "[t['delta_t_source'] for t in j['transits']] == ['measured','extrapolated']" list --planet venus --from 2012 --to 2117
check_json "len(j['elements']['hourly']) == 8 and len(j['elements']['chebyshev']['x']) == 12" elements 2012-06-06

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The list shows whole seconds rounded, not cut: contact 4 of 2004 came at 11:25:58.9.
"$transits" list --from 2004 --to 2004 --planet venus > "$work/out" && grep -q ' 11:25:59 ' "$work/out" || fail "transits list cuts the tenths off"
# A site in the forms transitfit reads.
"$transits" contacts 2004-06-08 --site "52 31 N,13 24 O,34" > "$work/out" && grep -q 'seen from 52.5167,13.4000,34' "$work/out" ||
  fail "transits --site does not take 52 31 N,13 24 O"
# Output cut off by the limit of a file's size is a failure in a sentence, not a signal.
err=$(ulimit -f 8; "$transits" map 2019-11-11 --grid 2 --format json 2>&1 > "$work/limited.json"); status=$?
[ "$status" -eq 1 ] && [[ $err == *"cannot write to standard output"* ]] || fail "file size limit: exit status $status: $err"

# The path across the Sun's disc: well-formed XML, the committed picture of the README the one drawn now,
# German words in German, and a file that cannot be written refused in one sentence with nothing left behind.
well_formed() { python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])' "$1" 2> /dev/null; }
if "$transits" contacts 2004-06-08 --site 51.43,7.19 --site -25.75,28.23 --plot "$work/path.svg" > /dev/null; then
  cmp -s "$work/path.svg" "$(dirname "$0")/../pictures/path-2004.svg" ||
    fail "pictures/path-2004.svg is not the picture transits draws now"
else
  fail "transits contacts 2004-06-08 --plot exited $?"
fi
for args in "contacts 2004-06-08" "contacts 2012-06-06 --site 51.43,7.19 --site -17.49,-149.50" \
            "contacts 1769-06-03 --site 70.37,31.11 --site -17.49,-149.50" \
            "contacts 2019-11-11 --site 51.43,7.19 --zenith-up" "contacts 1937-05-11 --site -33.9,18.4" \
            "--language de contacts 2032-11-13 --site 51.43,7.19 --site -25.75,28.23"; do
  # shellcheck disable=SC2086
  "$transits" $args --plot "$work/p.svg" > /dev/null || { fail "transits $args --plot exited $?"; continue; }
  well_formed "$work/p.svg" || fail "transits $args --plot: not well-formed XML"
  ! grep -qiE '="[^"]*(nan|inf)|="-0(\.0)?"' "$work/p.svg" || fail "transits $args --plot: a number that is none"
done
grep -q '>Sonne, Radius ' "$work/p.svg" && grep -q '>Weg vom Erdmittelpunkt' "$work/p.svg" &&
  grep -q ' Ortszeit<' "$work/p.svg" || fail "transits --language de --plot: not in German"
err=$("$transits" contacts 2004-06-08 --plot "$work/missing/p.svg" 2>&1 > /dev/null); status=$?
[ "$status" -eq 2 ] && [ "$err" = "transits: $work/missing/p.svg: cannot write the picture" ] ||
  fail "--plot into a missing folder exited $status: $err"
[ -z "$(find "$work" -name '*partial*')" ] || fail "--plot left a partial file behind"

# The world map: the committed picture of the README the one drawn now, well-formed, no label over another, German
# words in German; the JSON's cells on the grid of a degree; a bad grid refused.
if "$transits" map 2004-06-08 --site 51.43,7.19 --site -25.75,28.23 --plot "$work/map.svg" > /dev/null; then
  cmp -s "$work/map.svg" "$(dirname "$0")/../pictures/map-2004.svg" ||
    fail "pictures/map-2004.svg is not the map transits draws now"
else
  fail "transits map 2004-06-08 --plot exited $?"
fi
labels_clear() {  # the white boxes behind the sites' labels overlap nowhere
  python3 - "$1" "$2" << 'EOF_PY'
import sys, xml.dom.minidom
boxes = [tuple(float(r.getAttribute(k)) for k in ("x", "y", "width", "height"))
         for r in xml.dom.minidom.parse(sys.argv[1]).getElementsByTagName("rect") if r.getAttribute("rx") == "3"]
clear = all(a[0] + a[2] <= b[0] or b[0] + b[2] <= a[0] or a[1] + a[3] <= b[1] or b[1] + b[3] <= a[1]
            for i, a in enumerate(boxes) for b in boxes[i + 1:])
sys.exit(0 if clear and len(boxes) == int(sys.argv[2]) else 1)
EOF_PY
}
for args in "2012-06-06 --site 21.31,-157.86 --site -33.87,151.21 --site 35.68,139.69 --site 35.0,139.0 --site 36.0,140.5" \
            "1769-06-03 --site -17.53,-149.57 --site 70.37,31.11 --site 23.06,-109.70" \
            "2019-11-11 --planet mercury --site 40.71,-74.01 --grid 2" "--language de 2032-11-13 --site 51.43,7.19 --site 50.1,8.7"; do
  # shellcheck disable=SC2086
  "$transits" map $args --plot "$work/m.svg" > /dev/null || { fail "transits map $args --plot exited $?"; continue; }
  well_formed "$work/m.svg" || fail "transits map $args --plot: not well-formed XML"
  ! grep -qiE '(nan|inf)[," ]' "$work/m.svg" || fail "transits map $args --plot: a number that is none"
  labels_clear "$work/m.svg" "$(grep -o -- '--site' <<< "$args" | wc -l)" || fail "transits map $args --plot: labels overlap"
done
grep -q '>Durchgang des Merkur, 2032-11-13<' "$work/m.svg" && grep -q 'Sonnenaufgang<' "$work/m.svg" &&
  grep -q '50,10° N, 8,70° O<' "$work/m.svg" || fail "transits --language de map --plot: not in German"
check_json "len(j['cells']) == 64800 and j['grid_deg'] == 1 and j['cells'][0] == {'latitude_deg': 89.5, 'longitude_deg': -179.5, 'class': 'whole'} and {c['class'] for c in j['cells']} == {'whole','start','end','none'} and j['sites'][0]['class'] == 'whole'" map 2004-06-08 --site 51.43,7.19
check_json "len(j['cells']) == 16200 and j['cells'][-1]['latitude_deg'] == -89 and j['cells'][-1]['longitude_deg'] == 179" map 2019-11-11 --grid 2
expect 2 map 2004-06-08 --grid 0.7
expect 2 map 2004-06-08 --grid 20
expect 2 map 2004-06-08 --plot
expect 2 map
"$transits" map 2004-06-08 > "$work/out" && grep -q '^  .*% *the whole transit' "$work/out" || fail "transits map: no share of the whole transit"

# Cells of the map against transits contacts --site at their centres: the Sun's altitude at contacts 1 and 4.
"$transits" map 2012-06-06 --grid 10 --format json > "$work/cells.json"
python3 - "$transits" "$work/cells.json" << 'EOF_PY' || fail "transits map disagrees with transits contacts --site"
import json, random, subprocess, sys
cells = json.load(open(sys.argv[2]))["cells"]
random.seed(2012)
for cell in random.sample(cells, 40):
    site = f"{cell['latitude_deg']},{cell['longitude_deg']}"
    events = json.loads(subprocess.run([sys.argv[1], "contacts", "2012-06-06", "--site", site, "--format", "json"],
                                       capture_output=True, check=True).stdout)["events"]
    up = {e["event"]: e["sun_altitude_deg"] >= -0.83 for e in events}
    want = {(True, True): "whole", (True, False): "start", (False, True): "end", (False, False): "none"}[
        (up.get("C1", False), up.get("C4", False))]
    if cell["class"] != want:
        sys.exit(f"{site}: map {cell['class']}, contacts {want}")
EOF_PY

echo "transits: $failures failures"
[ "$failures" -eq 0 ]
