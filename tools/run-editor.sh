#!/usr/bin/env bash
# Builds the release program, with the two libraries it loads and the user guide beside it, and
# starts it (arguments are passed on to it). Besides the build's packages it installs the file
# chooser and the PDF opener the program uses at run time.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh --run
cmake --preset release
cmake --build --preset release -j "$(nproc)" --target lumo25-preset-editor
exec build/release/bin/lumo25-preset-editor "$@"
