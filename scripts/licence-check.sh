#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# Checks that every tracked source, script and build file opens with the project's licence header (after a
# shebang): the SPDX line, then the copyright line, in the comment syntax of the file's kind. Files added
# later are held to it by their names; JSON cannot carry a comment, and data (transcripts, corpora) is not code.
# Usage: licence-check.sh [SOURCE_DIR]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
if git rev-parse --is-inside-work-tree > /dev/null 2>&1; then
  mapfile -t files < <(git ls-files)
else
  # An unpacked source tree without git: every file outside build folders.
  mapfile -t files < <(find . -path ./build -prune -o -path ./.git -prune -o -type f -print | sed 's|^\./||' | sort)
fi
checked=0 failures=0
for file in "${files[@]}"; do
  [ -f "$file" ] || continue  # deleted in the work tree but not yet in the index
  case $file in
    *.cpp|*.cc|*.c|*.h|*.hpp) prefix='//' ;;
    *.1|*.[1-8].in) prefix='.\"' ;;
    *.sh|*.cmake|*.py|*CMakeLists.txt|.gitignore|*/.gitignore|.gitattributes|.ci/*) prefix='#' ;;
    *) head -c 2 "$file" | grep -q '^#!' && prefix='#' || continue ;;  # any other script
  esac
  mapfile -t lines < <(head -n 3 "$file")
  first=0
  [[ ${lines[0]:-} == '#!'* ]] && first=1
  if [ "${lines[first]:-}" != "$prefix SPDX-License-Identifier: GPL-3.0-or-later" ] ||
     [ "${lines[first + 1]:-}" != "$prefix Copyright the limbtimer and chordspan authors" ]; then
    echo "$file: expected on line $((first + 1)): $prefix SPDX-License-Identifier: GPL-3.0-or-later"
    echo "$file: and on line $((first + 2)): $prefix Copyright the limbtimer and chordspan authors"
    failures=$((failures + 1))
  fi
  checked=$((checked + 1))
done
echo "licence headers: $checked files checked, $failures without the header"
[ "$failures" -eq 0 ] && [ "$checked" -gt 0 ]
