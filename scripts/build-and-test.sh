#!/usr/bin/env bash
# Builds everything and runs every test three times: a normal build, a build
# with AddressSanitizer and UndefinedBehaviorSanitizer, and a Release build.
# The normal build also makes the Debian package and checks it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

run_build() {
  local dir=$1; shift
  cmake -S . -B "$dir" "$@"
  cmake --build "$dir" -j"$jobs"
  (cd "$dir" && ctest --output-on-failure -j"$jobs" --timeout 600)
}

run_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
scripts/tidy.sh build
# The Debian package from the normal build, and a check of what it holds.
rm -f build/sonadex-pro_*.deb
(cd build && cpack -G DEB)
scripts/check-package.sh build
run_build build-sanitize -DCMAKE_BUILD_TYPE=Debug -DSONADEX_SANITIZE=ON
# Release's -O3 raises warnings the other builds do not; -Werror makes them count.
run_build build-release -DCMAKE_BUILD_TYPE=Release
echo "All tests passed in the normal, the sanitizer and the release build."
