#!/usr/bin/env bash
# Kills sonadex-cli at random moments while it tags or renames a large tree,
# then checks every file: its audio bytes as made, exactly one whole record
# (old or new) or none where it had none, its name old or new, nothing lost
# or doubled. One result line per round, a summary, exit 0 only when every
# round passes.
#
#   crash-consistency.sh [--files N] [--rounds R] [--cli PATH] [--tree-tool PATH] [--keep]
#
# Defaults: 10000 files, 50 rounds, the programs of the build folder build/.
set -u

rounds=50
name=crash
# shellcheck source=tree-setup.sh
. "$(dirname "$0")/tree-setup.sh"

now_ms() { date +%s%3N; }

# One uninterrupted run sets the scale of the random delays.
artists=(Calibrate)
start=$(now_ms)
"$cli" multitag -r --artist Calibrate "$root" >/dev/null 2>"$work/calibrate.err"
full_ms=$(( $(now_ms) - start ))
[ "$full_ms" -gt 0 ] || full_ms=1
echo "full multitag run over $files files: ${full_ms} ms"

passed=0
failed=0
for round in $(seq 1 "$rounds"); do
  if [ $((round % 2)) = 1 ]; then
    artist="Round$round"
    artists+=("$artist")
    what="multitag --artist $artist"
    command=("$cli" multitag -r --artist "$artist" "$root")
  else
    what="rename-all"
    command=("$cli" rename-all -r --pattern "%1 - %2" "$root")
  fi
  delay_ms=$(( RANDOM * 32768 + RANDOM ))
  delay_ms=$(( delay_ms % full_ms ))
  "${command[@]}" >/dev/null 2>"$work/round.err" &
  pid=$!
  sleep "$(printf '%d.%03d' $((delay_ms / 1000)) $((delay_ms % 1000)))"
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  if [ $? = 137 ]; then fate="killed after ${delay_ms} ms"; else fate="finished before ${delay_ms} ms"; fi
  if report=$("$tool" check "$root" "$files" "${artists[@]}"); then
    passed=$((passed + 1))
    verdict=PASS
  else
    failed=$((failed + 1))
    verdict=FAIL
  fi
  echo "round $round: $what $fate: $verdict: $(echo "$report" | tail -1)"
  [ "$verdict" = PASS ] || echo "$report" | head -n -1
done

echo "crash consistency: $files files, $rounds rounds: $passed passed, $failed failed"
[ "$failed" = 0 ]
