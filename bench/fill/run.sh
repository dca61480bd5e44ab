#!/bin/sh
# Builds and runs the file-list fill benchmark (release build, offscreen).
# fill/run.sh: its own folders; fill/run.sh --median FOLDER: that folder only.
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=${BUILD_DIR:-"$here/../../build-bench-fill"}
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target fill_bench -j2 >/dev/null
QT_QPA_PLATFORM=offscreen "$build/fill_bench" "$@"
