#!/usr/bin/env bash
# What the undo journal costs: `multitag` over N files with the journal and
# without it (SONADEX_NO_JOURNAL=1, a switch for this benchmark only), at one
# thread and at the default threads. Prints hyperfine's medians and the ratio.
# Not part of the tests.   bench/journal/run.sh   (environment: FILES, RUNS, SONADEX_CLI)
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
FILES=${FILES:-10000}
RUNS=${RUNS:-15}
WORK=$(mktemp -d /tmp/sonadex-bench-journal-XXXXXX)
trap 'rm -rf "$WORK"' EXIT

command -v hyperfine >/dev/null || apt-get install -y hyperfine >/dev/null
if [ -z "${SONADEX_CLI:-}" ]; then
    cmake -S "$ROOT" -B "$ROOT/build-bench" -DCMAKE_BUILD_TYPE=Release -DSONADEX_TESTS=OFF >/dev/null
    cmake --build "$ROOT/build-bench" --target sonadex-cli -j2 >/dev/null
    SONADEX_CLI="$ROOT/build-bench/src/cli/sonadex-cli"
fi
gcc -O2 -o "$WORK/gen" "$ROOT/bench/peers/gen.c"
head -c 3300 /dev/urandom >"$WORK/body.mp3"
"$WORK/gen" "$WORK/body.mp3" "$WORK/flat" "$FILES" flat >/dev/null

export SONADEX_HIVE="$WORK/hklm.reg" XDG_STATE_HOME="$WORK/state"
printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\System\\MountedDevices]\r\n"\\\\DosDevices\\\\C:"="%s"\r\n\r\n' "$WORK" >"$SONADEX_HIVE"

# Each run writes other bytes (the run number goes into the comment), as a real batch does.
cat >"$WORK/tag.sh" <<SCRIPT
#!/usr/bin/env bash
n=\$(cat "$WORK/n" 2>/dev/null || echo 0); echo \$((n + 1)) >"$WORK/n"
exec "$SONADEX_CLI" multitag "\$@" --comment "run \$n" "$WORK/flat" >/dev/null
SCRIPT
chmod +x "$WORK/tag.sh"

for jobs in 1 default; do
    opt=(); [ "$jobs" = 1 ] && opt=(-j1)
    hyperfine -N --warmup 2 --runs "$RUNS" --export-json "$WORK/$jobs.json" \
        --prepare "rm -rf $WORK/state" \
        -n "journal" "$WORK/tag.sh ${opt[*]}" \
        -n "no journal" "env SONADEX_NO_JOURNAL=1 $WORK/tag.sh ${opt[*]}" >/dev/null
    python3 - "$WORK/$jobs.json" "$jobs" "$FILES" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
with_j, without = results["journal"]["median"], results["no journal"]["median"]
print(f"multitag, {sys.argv[3]} files, jobs {sys.argv[2]}: journal {with_j*1000:.0f} ms, "
      f"no journal {without*1000:.0f} ms, ratio {with_j/without:.2f}x")
PY
done
