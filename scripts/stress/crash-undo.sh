#!/usr/bin/env bash
# Kills sonadex-cli (SIGKILL) at random moments while it tags or renames a
# tree, then runs a plain `undo`: every round must end with the tree exactly
# as before (every name and every byte). One result line per round, a
# summary, exit 0 only when every round passes.
#
#   crash-undo.sh [--files N] [--rounds R] [--cli PATH] [--tree-tool PATH] [--keep]
#
# Defaults: 3000 files, 20 rounds, the programs of the build folder build/.
set -u

rounds=20
name=undo
files_default=3000
# shellcheck source=tree-setup.sh
for arg in "$@"; do [ "$arg" = --files ] && files_default=; done
[ -n "$files_default" ] && set -- --files "$files_default" "$@"
. "$(dirname "$0")/tree-setup.sh"

export XDG_STATE_HOME="$work/state" XDG_DATA_HOME="$work/data"
now_ms() { date +%s%3N; }
# Every file's path and bytes, in a stable order.
snapshot() { (cd "$root" && find . -type f -print0 | sort -z | xargs -0 sha256sum); }

before=$(snapshot)
start=$(now_ms)
"$cli" multitag -r --artist Calibrate "$root" >/dev/null 2>&1
full_ms=$(( $(now_ms) - start ))
[ "$full_ms" -gt 0 ] || full_ms=1
"$cli" undo >/dev/null 2>&1
[ "$(snapshot)" = "$before" ] || { echo "the calibration run did not undo cleanly" >&2; exit 1; }
echo "full multitag run over $files files: ${full_ms} ms"

passed=0
failed=0
for round in $(seq 1 "$rounds"); do
  if [ $((round % 2)) = 1 ]; then
    what="multitag"
    command=("$cli" multitag -r --artist "Round$round" --year "$((1900 + round))" "$root")
  else
    what="rename-all"
    command=("$cli" rename-all -r --pattern "%1 - %2 - %4" "$root")
  fi
  delay_ms=$(( (RANDOM * 32768 + RANDOM) % full_ms ))
  "${command[@]}" >/dev/null 2>&1 &
  pid=$!
  sleep "$(printf '%d.%03d' $((delay_ms / 1000)) $((delay_ms % 1000)))"
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  if [ $? = 137 ]; then fate="killed after ${delay_ms} ms"; else fate="finished before ${delay_ms} ms"; fi
  undo=$("$cli" undo 2>&1 | tail -1)
  if [ "$(snapshot)" = "$before" ]; then
    passed=$((passed + 1)); verdict=PASS
  else
    failed=$((failed + 1)); verdict=FAIL
    diff <(echo "$before") <(snapshot) | head -5
    # Put the tree back for the next round by the journal's remaining entries.
    "$cli" undo >/dev/null 2>&1
  fi
  echo "round $round: $what $fate: $verdict (undo: $undo)"
done

echo "crash undo: $files files, $rounds rounds: $passed passed, $failed failed"
[ "$failed" = 0 ]
