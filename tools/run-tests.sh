#!/usr/bin/env bash
# Checks formatting, then builds and runs every test: the debug build (AddressSanitizer + UBSan),
# the display tests on a virtual X server (some also under the openbox window manager), the
# threading tests under ThreadSanitizer, and each fuzz target for a short time; then builds the
# release program (with its two libraries and the user guide) and every benchmark, and runs each
# benchmark once, briefly, under a time limit.
set -euo pipefail
cd "$(dirname "$0")/.."
# What the program needs at run time too: the Xvfb program tests save through the real zenity.
tools/deps.sh --run
jobs=$(nproc)

tools/check-format.sh

cmake --preset debug
cmake --build --preset debug -j "$jobs"
# Every public header compiles on its own.
cmake --build --preset debug -j "$jobs" --target header_checks
ctest --preset debug -j "$jobs"
xvfb-run -a build/debug/bin/ui_tests --gtest_filter='XvfbSmoke.*:SplashDisplay*'
xvfb-run -a -s "-screen 0 1600x1000x24 -noreset" build/debug/bin/editor_tests --gtest_filter='XvfbProgram.*'
# Placement, focus and popups again under a reparenting window manager, as on a desktop.
managed='XvfbProgram.TheWindowOpensWhere*:XvfbProgram.ADialogOpensCentred*:XvfbProgram.ASlotList*'
managed+=':XvfbProgram.EndedByASignalWithAMessageBox*:XvfbProgram.TheFirstClickAfterTheAboutDialog*'
managed+=':XvfbProgram.SavePresetOpensZenitys*:XvfbProgram.NoRingBeforeTheKeyboard*'
managed+=':XvfbProgram.ASecondStartKeepsAnOpenDialog*:XvfbProgram.ZenitysChooserStaysAbove*'
managed+=':XvfbProgram.AClickOnTheMainWindowLeavesTheKeyboard*'
managed+=':XvfbProgram.AHotKeyHeldThroughItsDialogsClose*'
xvfb-run -a -s "-screen 0 1600x1000x24 -noreset" tools/with-window-manager.sh build/debug/bin/editor_tests \
  --gtest_filter="$managed"
xvfb-run -a build/debug/bin/controls_tests --gtest_filter='FileDialogOnX11.*'

cmake --preset tsan
cmake --build --preset tsan -j "$jobs" --target tsan_tests
ctest --preset tsan -j "$jobs"

cmake --preset fuzz
cmake --build --preset fuzz -j "$jobs" --target fuzz_targets
ctest --preset fuzz -j "$jobs"

# The release build as a user gets it: the preset's default target, which is the program, its two
# libraries, the user guide and the benchmarks, not the tests (warnings are errors here too).
cmake --preset release
cmake --build --preset release -j "$jobs"
tools/run-bench.sh --brief
