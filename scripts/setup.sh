#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# Installs from Debian's packages what this machine lacks: with no argument what building the programs needs
# (compiler, CMake and the libraries the programs link), with `test` also what the whole test suite needs.
# A newcomer's first start should not wait for a cross-compiler and Wine.
# Usage: setup.sh [build|test]
set -euo pipefail
build=(cmake make g++ libeigen3-dev libcli11-dev nlohmann-json3-dev libnova-dev)
tests=(libgtest-dev tmux clang libclang-rt-14-dev mandoc man-db dpkg-dev lintian python3 python3-numpy python3-pandas
       librsvg2-bin g++-mingw-w64-x86-64-posix wine64)
case ${1:-build} in
  build) packages=("${build[@]}") ;;
  test) packages=("${build[@]}" "${tests[@]}") ;;
  *) echo "usage: $0 [build|test]" >&2; exit 2 ;;
esac
missing=()
for package in "${packages[@]}"; do
  [ "$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null)" = "install ok installed" ] || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
