#!/usr/bin/env bash
# Two `multitag -r` with different artists and one `rename-all -r` over the
# same tree at the same time, several rounds. Afterwards every file must end
# with exactly one whole record of a value some run wrote (or none where it
# never had one), keep its audio bytes, and carry its old name or one made
# from a record it had; nothing lost or doubled. A file another run held at
# that moment is reported (exit status 1) by the run that could not open it.
#
#   two-processes.sh [--files N] [--rounds R] [--cli PATH] [--tree-tool PATH] [--keep]
#
# Defaults: 10000 files, 5 rounds, the programs of the build folder build/.
set -u

rounds=5
name=two
# shellcheck source=tree-setup.sh
. "$(dirname "$0")/tree-setup.sh"

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
