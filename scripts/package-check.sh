#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# Checks what a user installs: the manual pages lint clean and render, the Debian package holds exactly the
# expected files and its programs run a default pass in each language byte for byte as the golden
# transcripts say, and `cmake --install` into a scratch prefix gives programs that do the same.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for page in man/*.1 man/de/*.1; do
  mandoc -T lint -W warning "$page"
  [ -n "$(MANWIDTH=80 LC_ALL=C.UTF-8 man -l "$page" 2> /dev/null)" ] || { echo "man -l $page renders nothing"; exit 1; }
done
echo "manual pages: lint clean and rendered"

# Default passes in both languages, against the golden transcripts, for programs in the given folder.
default_passes() {
  local bin=$1 program case
  for program in limbtimer chordspan; do
    for case in defaults-english defaults-german defaults-german-utf8; do
      locale=C; [[ $case == *-utf8 ]] && locale=C.UTF-8
      LC_ALL=$locale "$bin/$program" < "programs/$program/transcripts/$case.in" > "$work/actual"
      cmp "$work/actual" "programs/$program/transcripts/$case.out"
    done
  done
  # transitfit: the sample campaign's report, as the README shows it.
  LC_ALL=C.UTF-8 "$bin/transitfit" programs/transitfit/sample/campaign-2004.csv > "$work/actual"
  grep -q '^Astronomical Unit: 148.4 ± 0.6 million km' "$work/actual"
  # transits: the 2012 contacts, as the README shows them.
  # Each output goes to a file before it is searched: grep -q leaves a pipe at its first match, and the
  # writer's SIGPIPE would fail the check under pipefail.
  "$bin/transits" contacts 2012-06-05 > "$work/actual"
  grep -q '^C4  *2012-06-06 04:49:35.0' "$work/actual"
  "$bin/transitfit" programs/transitfit/sample/campaign-2012.csv > "$work/actual"
  grep -q '^Transit of Venus, 6 June 2012' "$work/actual"
  echo "$bin: default passes as the transcripts say, transitfit fits the sample campaign"
}

rm -f build/release/*.deb
cmake --workflow --preset package > "$work/package.log" 2>&1 || { cat "$work/package.log"; exit 1; }
package=$(ls build/release/limbtimer_*_amd64.deb)
dpkg-deb -c "$package" | awk '{print $NF}' | grep -v '/$' | sort > "$work/files"
cat > "$work/expected" <<'LIST'
./usr/bin/chordspan
./usr/bin/limbtimer
./usr/bin/transitfit
./usr/bin/transits
./usr/share/doc/limbtimer/changelog.Debian.gz
./usr/share/doc/limbtimer/copyright
./usr/share/lintian/overrides/limbtimer
./usr/share/man/de/man1/chordspan.1.gz
./usr/share/man/de/man1/limbtimer.1.gz
./usr/share/man/de/man1/transitfit.1.gz
./usr/share/man/de/man1/transits.1.gz
./usr/share/man/man1/chordspan.1.gz
./usr/share/man/man1/limbtimer.1.gz
./usr/share/man/man1/transitfit.1.gz
./usr/share/man/man1/transits.1.gz
./usr/share/transitfit/README.md
./usr/share/transitfit/transit-1761.csv
./usr/share/transitfit/transit-1769.csv
LIST
diff "$work/expected" "$work/files" || { echo "the package holds other files than expected"; exit 1; }
[[ $(dpkg-deb -f "$package" Depends) == *libc6* ]] || { echo "the package names no dependencies"; exit 1; }
# Debian's own checker: no error; warnings and notes are shown, and each has its fix or its override.
lintian --info --pedantic --fail-on error "$package" 2>&1 | { grep -v '^running with root privileges' || true; } | tee "$work/lintian" ||
  { echo "lintian finds errors in $package"; exit 1; }
! grep -q '^E:' "$work/lintian" || { echo "lintian finds errors in $package"; exit 1; }
echo "lintian: $(grep -c '^[EWIP]:' "$work/lintian" || true) tags, $(grep -c '^E:' "$work/lintian" || true) errors"
dpkg-deb -x "$package" "$work/root"
# Read from the unpacked file: tar may leave a pipe before the archive's padding is written, and the writer's
# SIGPIPE would fail the check at random.
gzip -dc "$work/root/usr/share/doc/limbtimer/changelog.Debian.gz" > "$work/changelog"
changelog=$(dpkg-parsechangelog -l "$work/changelog" -S Version)
[ "$changelog" = "$(dpkg-deb -f "$package" Version)" ] ||
  { echo "packaging/debian/changelog is at $changelog, the package at $(dpkg-deb -f "$package" Version)"; exit 1; }
default_passes "$work/root/usr/bin"
echo "package: $package, $(stat -c %s "$package") bytes; depends: $(dpkg-deb -f "$package" Depends)"

cmake --install build/release --prefix "$work/prefix" > /dev/null
default_passes "$work/prefix/bin"
for page in share/man/man1/limbtimer.1.gz share/man/man1/chordspan.1.gz share/man/de/man1/limbtimer.1.gz \
            share/man/de/man1/chordspan.1.gz share/man/man1/transitfit.1.gz share/man/de/man1/transitfit.1.gz \
            share/man/man1/transits.1.gz share/man/de/man1/transits.1.gz share/transitfit/transit-1769.csv; do
  [ -f "$work/prefix/$page" ] || { echo "cmake --install left out $page"; exit 1; }
done
echo "cmake --install: programs, manual pages and data in place"
