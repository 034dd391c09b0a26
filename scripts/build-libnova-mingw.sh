#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# libnova for the Windows build, in build/mingw-deps: it has no MinGW package, so it is built from Debian's
# source package as a static library (lib/libnova.a, include/libnova/). Does nothing when it is there.
set -euo pipefail
cd "$(dirname "$0")/.."
prefix=$PWD/build/mingw-deps
sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo

mkdir -p "$prefix/include" "$prefix/lib"
[ -f "$prefix/lib/libnova.a" ] && [ -f "$prefix/include/libnova/libnova.h" ] && exit 0

for tool in dpkg-source x86_64-w64-mingw32-gcc-posix; do
  command -v "$tool" > /dev/null || {
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends dpkg-dev gcc-mingw-w64-x86-64-posix
    break
  }
done
# apt-get source needs a deb-src entry; Debian's images carry only binary ones.
if ! grep -Rqs -e '^Types:.*deb-src' -e '^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  $sudo tee /etc/apt/sources.list.d/debian-src.sources > /dev/null <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  $sudo apt-get update -qq
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && apt-get source -qq libnova > /dev/null 2>&1)
source=$(find "$work" -maxdepth 1 -type d -name 'libnova-*' | head -1)
[ -n "$source" ] || { echo "apt-get source libnova gave no source tree"; exit 1; }

# julian_day.c was written for 32-bit MinGW: it asks for a 32-bit time_t, which 64-bit MinGW-w64 refuses.
sed -i -e 's/^#define _USE_32BIT_TIME_T$//' \
       -e 's/gmt = gmtime(&tv.tv_sec);/time_t seconds = tv.tv_sec; gmt = gmtime(\&seconds);/' "$source/src/julian_day.c"

# The C library functions the Linux build finds by configure are all in MinGW-w64's too; declaring them
# keeps libnova computing in the same precision on both systems.
mkdir -p "$work/config"
cat > "$work/config/config.h" <<'CONFIG'
#define HAVE_ROUND 1
#define HAVE_COSL 1
#define HAVE_SINL 1
#define HAVE_ACOSL 1
#define HAVE_ASINL 1
#define HAVE_ATAN2L 1
CONFIG
mkdir -p "$work/objects"
for file in "$source"/src/*.c; do
  x86_64-w64-mingw32-gcc-posix -O2 -DHAVE_CONFIG_H -DLIBNOVA_STATIC -D_USE_MATH_DEFINES -ffp-contract=off \
    -I"$work/config" -I"$source/src" -c "$file" -o "$work/objects/$(basename "$file" .c).o"
done
x86_64-w64-mingw32-ar rcs "$work/libnova.a" "$work"/objects/*.o
mkdir -p "$prefix/include/libnova"
cp "$source"/src/libnova/*.h "$prefix/include/libnova/"
mv "$work/libnova.a" "$prefix/lib/libnova.a"
echo "libnova for MinGW-w64: $prefix/lib/libnova.a"
