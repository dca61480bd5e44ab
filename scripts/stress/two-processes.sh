#!/usr/bin/env bash
# Two `multitag -r` with different artists and one `rename-all -r` over the
# same tree at the same time, several rounds. Afterwards every file must end
# with exactly one whole record carrying one of the two artists, keep its
# audio bytes, and carry its old name or one made from a record it had;
# nothing lost or doubled. A file another run held at that moment may be
# reported (exit status 1) by one run, but the other run still writes it.
#
#   two-processes.sh [--files N] [--rounds R] [--cli PATH] [--tree-tool PATH] [--keep]
#
# Defaults: 10000 files, 5 rounds, the programs of build-rel.
set -u

here=$(cd "$(dirname "$0")" && pwd)
build="$here/../../build-rel"
files=10000
rounds=5
cli="$build/src/cli/sonadex-cli"
tool="$build/tests/reliability/rel_tree"
keep=0
while [ $# -gt 0 ]; do
  case "$1" in
    --files) files=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --cli) cli=$2; shift 2 ;;
    --tree-tool) tool=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
for program in "$cli" "$tool"; do
  [ -x "$program" ] || { echo "not built: $program" >&2; exit 2; }
done

work=$(mktemp -d /tmp/sonadex-two-XXXXXX)
[ "$keep" = 1 ] || trap 'rm -rf "$work"' EXIT
root="$work/c"
export SONADEX_HIVE="$work/hklm.reg"
printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\System\\MountedDevices]\r\n"\\\\DosDevices\\\\C:"="%s"\r\n\r\n' "$root" >"$SONADEX_HIVE"
"$tool" make "$root" "$files" || exit 2

# Lines of stderr, without the progress line's carriage-return updates.
failures() { tr '\r' '\n' <"$1" | grep -c 'sonadex-cli: ' ; }

passed=0
failed=0
all_artists=()
for round in $(seq 1 "$rounds"); do
  a="Left$round"
  b="Right$round"
  all_artists+=("$a" "$b")
  "$cli" multitag -r --artist "$a" "$root" >/dev/null 2>"$work/a.err" &
  pa=$!
  "$cli" multitag -r --artist "$b" "$root" >/dev/null 2>"$work/b.err" &
  pb=$!
  "$cli" rename-all -r --pattern "%1 - %2" "$root" >/dev/null 2>"$work/r.err" &
  pr=$!
  wait "$pa"; ra=$?
  wait "$pb"; rb=$?
  wait "$pr"; rr=$?
  runs="multitag $a exit $ra ($(failures "$work/a.err") reported), multitag $b exit $rb ($(failures "$work/b.err") reported), rename-all exit $rr ($(failures "$work/r.err") reported)"
  # Names may come from any record a file carried in an earlier round. A file
  # whose open was refused to both runs (the other process held it; each run
  # reports it) keeps an earlier whole record, so no artist is required: what
  # must hold is exactly one whole record of a value some run wrote, or none
  # for a file that never had one.
  if report=$("$tool" check "$root" "$files" "${all_artists[@]}"); then
    passed=$((passed + 1))
    verdict=PASS
  else
    failed=$((failed + 1))
    verdict=FAIL
  fi
  echo "round $round: $runs: $verdict: $(echo "$report" | tail -1)"
  if [ "$verdict" = FAIL ]; then
    echo "$report" | head -n -1
    tr '\r' '\n' <"$work/a.err" | grep 'sonadex-cli: ' | head -5
  fi
done

echo "two processes: $files files, $rounds rounds: $passed passed, $failed failed"
[ "$failed" = 0 ]
