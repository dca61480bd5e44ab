#!/usr/bin/env bash
# Runs clang-tidy (the checks in .clang-tidy) over every source file of src/,
# using the compile commands of a configured build folder. Fails on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
[ -f "$build/compile_commands.json" ] || { echo "tidy: configure $build first" >&2; exit 2; }
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# Only the project's own files: the generated moc sources live in the build folder.
if ! run-clang-tidy -p "$build" -quiet -j "$(nproc)" "^$PWD/src/" >"$log" 2>&1; then
  grep -E '(error|warning):' "$log" | sort -u >&2 || cat "$log" >&2
  echo "tidy: findings above" >&2
  exit 1
fi
echo "tidy: src/ is clean"
