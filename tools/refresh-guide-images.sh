#!/usr/bin/env bash
# Copies the current screenshots of the program that the user guide shows into docs/guide/images/. The
# tests that take them fail while a picture there differs from what they take.
#
#   tools/refresh-guide-images.sh --take   builds the debug editor tests and the program, takes the
#                                          screenshots (the program started on an Xvfb display and
#                                          driven by clicks and keys; the Global Settings dialog from the
#                                          program with the keyboard simulator), then copies them
#   tools/refresh-guide-images.sh [FOLDER] copies from FOLDER (build/debug/screenshots/ by default), after
#                                          tools/run-tests.sh or those tests have written them
#
# Then rebuild to typeset the guide again.
set -euo pipefail
cd "$(dirname "$0")/.."
# Every picture the guide's text names.
mapfile -t pictures < <(grep -o '](images/[^ )]*' docs/guide/UserGuide.txt | sed 's|](images/||' | sort -u)
if [ "${1:-}" = "--take" ]; then
  shift
  cmake --preset debug >/dev/null
  cmake --build --preset debug -j "${KX_JOBS:-4}" --target editor_tests lumo25-preset-editor
  # No picture of an earlier run is copied in place of one not taken now.
  for picture in "${pictures[@]}"; do
    rm -f "build/debug/screenshots/$picture"
  done
  # Their check of the guide's pictures fails until the copy below; the screenshots are written first.
  xvfb-run -a -s "-screen 0 1600x1000x24 -noreset" build/debug/bin/editor_tests \
    --gtest_filter='XvfbProgram.ATileClickedInThePictureOpensItsEditPanel:XvfbProgram.TheRetrieveDialogKeepsTheSkinsTextSizesWhateverTheDesktopsFontResolution:PictureEndToEnd.GlobalSettingsOpensFromTheFileMenuOnceTheKeyboardIsThere' \
    >/dev/null 2>&1 || true
fi
from=${1:-build/debug/screenshots}
to=docs/guide/images
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
