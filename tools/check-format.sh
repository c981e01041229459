#!/usr/bin/env bash
# Checks that every C++ file of the repository is formatted as .clang-format says.
# With --fix, formats them in place instead.
# Either way, the program's code must name notification ids through the constants of
# kx/NotificationId.h: a misspelt id literal compiles and is silently never delivered.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
else
  clang-format --dry-run -Werror "${files[@]}"
  echo "formatting: ${#files[@]} files checked"
fi
ids_header=src/framework/system/include/kx/NotificationId.h
if literals=$(git grep -n -F 'u"NID_' -- 'src/*.cpp' 'src/*.h' ":!$ids_header"); then
  echo "$literals" >&2
  echo "notification id written as a literal: use its constant from kx/NotificationId.h" >&2
  exit 1
fi
echo "notification ids: no literals outside $ids_header"
