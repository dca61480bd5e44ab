#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer + ASan + UBSan) and runs each
# for SECONDS (default 60), printing per target the runs, speed, coverage and
# whether it stayed clean. Crashes are saved under fuzz/crashes/<target>/.
#
#   fuzz/run.sh [SECONDS] [--merge]
#
# --merge adds to fuzz/corpus/<target> only the inputs found in this run that
# reach new coverage (libFuzzer -merge=1), so the seed corpus stays small.
# SONADEX_FUZZ_TARGETS names the targets to run (default: all, space-separated).
# SONADEX_FUZZ_BUILD chooses the build folder (default build-fuzzers), JOBS
# the build's parallel jobs (default 2), CLANG_VERSION the clang (default 16:
# Debian's clang 14 cannot compile the C++20 ranges of libstdc++ 12).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
seconds=60
merge=0
for arg in "$@"; do
  case "$arg" in
    --merge) merge=1 ;;
    ''|*[!0-9]*) echo "usage: $0 [SECONDS] [--merge]" >&2; exit 2 ;;
    *) seconds=$arg ;;
  esac
done
build=${SONADEX_FUZZ_BUILD:-$repo/build-fuzzers}
jobs=${JOBS:-2}
clang_version=${CLANG_VERSION:-16}

# Target and the longest input worth trying: an envelope or table of a few
# kilobytes, a tag tail, a hive, a wildcard and name, a record and pattern.
# The command line's arguments (zero bytes between them); a name and a tag.
targets=(envelope:4096 table_file:4096 id3v1_tag:512 id3v1_record:256 hive:2048 wildcard:256 make_file_name:384
  cli_options:512 output:512)

ensure_clang() {
  if command -v "clang++-$clang_version" >/dev/null &&
     ls /usr/lib/llvm-"$clang_version"/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
    return
  fi
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update
  $sudo apt-get install -y "clang-$clang_version" "libclang-rt-$clang_version-dev"
}

build_targets() {
  local flags="-g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
  cmake -S "$repo" -B "$build" -DCMAKE_C_COMPILER="clang-$clang_version" -DCMAKE_CXX_COMPILER="clang++-$clang_version" \
    -DCMAKE_BUILD_TYPE= -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_C_FLAGS="$flags" \
    -DSONADEX_FUZZ=ON -DSONADEX_TESTS=OFF -DSONADEX_SANITIZE=OFF >"$build.configure.log" 2>&1 ||
    { cat "$build.configure.log" >&2; exit 1; }
  local names=()
  for entry in "${targets[@]}"; do names+=("fuzz_${entry%%:*}"); done
  cmake --build "$build" --target "${names[@]}" -j"$jobs" >"$build.build.log" 2>&1 ||
    { tail -50 "$build.build.log" >&2; exit 1; }
}

stat_of() {  # stat name, log file
  sed -n "s/^stat::$1: *//p" "$2" | tail -1
}

run_target() {  # target, max_len
  local target=$1 max_len=$2
  local work="$build/corpus-work/$target" crashes="$here/crashes/$target" log="$build/$target.log"
  mkdir -p "$work" "$crashes"
  cp -n "$here/corpus/$target"/* "$work/" 2>/dev/null || true
  local status=0
  "$build/fuzz/fuzz_$target" "$work" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$crashes/" >"$log" 2>&1 || status=$?
  local cov
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  local verdict="clean"
  [ "$status" -eq 0 ] || verdict="NOT clean (exit $status; see $log and $crashes)"
  printf '%-15s %ss  runs %-10s exec/s %-7s cov %-5s %s\n' "$target" "$seconds" \
    "$(stat_of number_of_executed_units "$log")" "$(stat_of average_exec_per_sec "$log")" "${cov:-?}" "$verdict"
  if [ "$merge" -eq 1 ]; then
    "$build/fuzz/fuzz_$target" -merge=1 -max_len="$max_len" "$here/corpus/$target" "$work" \
      >"$build/$target.merge.log" 2>&1 || echo "  merge failed: see $build/$target.merge.log"
  fi
  return "$status"
}

if [ -n "${SONADEX_FUZZ_TARGETS:-}" ]; then
  chosen=()
  for entry in "${targets[@]}"; do
    case " $SONADEX_FUZZ_TARGETS " in *" ${entry%%:*} "*) chosen+=("$entry") ;; esac
  done
  [ "${#chosen[@]}" -gt 0 ] || { echo "no such targets: $SONADEX_FUZZ_TARGETS" >&2; exit 2; }
  targets=("${chosen[@]}")
fi

ensure_clang
build_targets
failed=0
for entry in "${targets[@]}"; do
  run_target "${entry%%:*}" "${entry##*:}" || failed=1
done
exit "$failed"
