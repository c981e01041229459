#!/usr/bin/env bash
# Copies the current test screenshots that the user guide shows into docs/guide/images/.
# Make them first: the editor's screen tests and the Xvfb program tests write them to
# build/debug/screenshots/ (tools/run-tests.sh runs both). Then rebuild to typeset the guide again.
set -euo pipefail
cd "$(dirname "$0")/.."
from=${1:-build/debug/screenshots}
to=docs/guide/images
# Every picture the guide's text names.
mapfile -t pictures < <(grep -o '](images/[^ )]*' docs/guide/UserGuide.txt | sed 's|](images/||' | sort -u)
missing=0
for picture in "${pictures[@]}"; do
  if [ -f "$from/$picture" ]; then
    cp "$from/$picture" "$to/$picture"
    echo "copied $picture"
  else
    echo "missing $from/$picture" >&2
    missing=1
  fi
done
exit $missing
