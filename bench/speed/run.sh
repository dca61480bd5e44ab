#!/usr/bin/env bash
# sonadex-cli against floor programs (bench/floor/floor.c), warm and cold
# cache, on a slow share (bench/slowfs, FUSE with a set latency) and at
# 100,000 files. Not part of the tests; it prints a table of medians.
#
#   bench/speed/run.sh
#
# Environment: SONADEX_CLI (a built sonadex-cli; else a Release one is built
# in build-bench/), FIXTURES (folder for the generated files, default
# /tmp/sonadex-speed; kept between runs), ROUNDS and RUNS (hyperfine rounds,
# the commands taking turns, and runs per round; default 5 and 4),
# LATENCY_US (the share's latency, default 1000), SKIP ("cold fuse scale" to
# leave rows out).
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
FIXTURES=${FIXTURES:-/tmp/sonadex-speed}
ROUNDS=${ROUNDS:-5}
RUNS=${RUNS:-4}
LATENCY_US=${LATENCY_US:-1000}
SKIP=${SKIP:-}
BIN="$FIXTURES/bin"
MNT="$FIXTURES/share"

install_tools() {  # bench-only packages, never needed by the tests
    local missing=() pair
    for pair in hyperfine:hyperfine id3tool:id3tool fusermount3:fuse3; do
        command -v "${pair%%:*}" >/dev/null || missing+=("${pair#*:}")
    done
    pkg-config --exists fuse3 || missing+=(libfuse3-dev)
    if [ ${#missing[@]} -gt 0 ]; then
        echo "installing: ${missing[*]}" >&2
        apt-get install -y "${missing[@]}" >/dev/null || echo "could not install ${missing[*]}" >&2
    fi
}

build_programs() {
    mkdir -p "$BIN"
    if [ -z "${SONADEX_CLI:-}" ]; then
        cmake -S "$ROOT" -B "$ROOT/build-bench" -DCMAKE_BUILD_TYPE=Release -DSONADEX_TESTS=OFF >/dev/null
        cmake --build "$ROOT/build-bench" --target sonadex-cli -j2 >/dev/null
        SONADEX_CLI="$ROOT/build-bench/src/cli/sonadex-cli"
    fi
    cc -O2 -o "$BIN/floor" "$ROOT/bench/floor/floor.c" -lpthread
    cc -O2 -o "$BIN/gen" "$ROOT/bench/peers/gen.c"
    cc -O2 -o "$BIN/slowfs" "$ROOT/bench/slowfs/slowfs.c" $(pkg-config --cflags --libs fuse3)
}

# An MPEG frame header and its bytes, then (for 70 % of the files) an ID3v1
# tag; gen names the files with UTF-8 and tags them with Latin-1 text.
make_folder() {  # name count
    local dir="$FIXTURES/$1"
    [ -f "$dir/.done" ] && [ "$(cat "$dir/.done")" = "$2" ] && return 0
    rm -rf "$dir"
    [ -f "$BIN/body.mp3" ] || python3 -c 'import sys; sys.stdout.buffer.write(b"\xff\xfb\x90\x64" + bytes(i % 251 for i in range(2996)))' >"$BIN/body.mp3"
    "$BIN/gen" "$BIN/body.mp3" "$dir" "$2" flat
    echo "$2" >"$dir/.done"
}

write_hive() {  # drive C: is the fixtures folder; the state folder holds the undo journal
    export SONADEX_HIVE="$FIXTURES/hklm.reg" XDG_STATE_HOME="$FIXTURES/state"
    printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\System\\MountedDevices]\r\n"\\\\DosDevices\\\\C:"="%s"\r\n\r\n' "$FIXTURES" >"$SONADEX_HIVE"
}

default_jobs() {  # what sonadex-cli uses without -j for its processors: two threads per processor, 1 to 64
    local n=$(( 2 * $(nproc) ))
    [ "$n" -gt 64 ] && n=64
    echo "$n"
}

interleave() {  # label=command ... -> JSON of medians
    python3 "$HERE/interleave.py" --rounds "$ROUNDS" --runs "$RUNS" "$@"
}

value() { python3 -c 'import json,sys; print("%.1f" % json.loads(sys.argv[1])[sys.argv[2]])' "$1" "$2"; }

ROWS=()
row() {  # what, program ms, floor ms, target ratio
    local ratio
    ratio=$(python3 -c "print('%.2f' % ($2 / $3))")
    local met=$(python3 -c "print('met' if $ratio <= $4 else 'NOT met')")
    ROWS+=("$(printf '| %s | %s | %s | %sx | <= %sx | %s |' "$1" "$2" "$3" "$ratio" "$4" "$met")")
}

warm_rows() {
    local d="$FIXTURES/f10k" w="$FIXTURES/w10k" j r
    j=$(default_jobs)
    echo "== warm cache, 10,000 files" >&2
    r=$(interleave "floor1=$BIN/floor read $d" "list1=$SONADEX_CLI list -j1 $d" \
                   "floorN=$BIN/floor read -t $j $d" "list=$SONADEX_CLI list $d" \
                   "lock1=$BIN/floor readlock $d")
    row "list -j1 / one-thread read floor" "$(value "$r" list1)" "$(value "$r" floor1)" 1.3
    row "list / read floor on $j threads" "$(value "$r" list)" "$(value "$r" floorN)" 1.3
    ROWS+=("| the one-thread read floor taking the lock every read keeps: $(value "$r" lock1) ms, $(python3 -c "import json,sys; d=json.loads(sys.argv[1]); print('%.2fx' % (d['lock1'] / d['floor1']))" "$r") the floor | | | | | |")
    r=$(interleave "floor1=$BIN/floor write $w" "tag1=$SONADEX_CLI multitag -j1 --comment Speed $w" \
                   "floorN=$BIN/floor write -t $j $w" "tag=$SONADEX_CLI multitag --comment Speed $w" \
                   "lock1=$BIN/floor writelock $w")
    row "multitag -j1 (journal) / one-thread write floor" "$(value "$r" tag1)" "$(value "$r" floor1)" 1.3
    row "multitag (journal) / write floor on $j threads" "$(value "$r" tag)" "$(value "$r" floorN)" 1.3
    ROWS+=("| the one-thread write floor taking the same lock: $(value "$r" lock1) ms, $(python3 -c "import json,sys; d=json.loads(sys.argv[1]); print('%.2fx' % (d['lock1'] / d['floor1']))" "$r") the floor | | | | | |")
}

cold_rows() {
    local d="$FIXTURES/f10k" r best
    if [ "$(id -u)" != 0 ] || ! [ -w /proc/sys/vm/drop_caches ]; then
        ROWS+=("| cold cache: skipped (dropping the caches needs root) | | | | | |")
        return 0
    fi
    echo "== cold cache, 10,000 files" >&2
    r=$(python3 "$HERE/interleave.py" --rounds "$ROUNDS" --runs 2 --prepare 'sh -c "sync; echo 3 > /proc/sys/vm/drop_caches"' \
        "f4=$BIN/floor read -t 4 $d" "f16=$BIN/floor read -t 16 $d" "f64=$BIN/floor read -t 64 $d" \
        "f256=$BIN/floor read -t 256 $d" "list=$SONADEX_CLI list $d")
    best=$(python3 -c 'import json,sys; d=json.loads(sys.argv[1]); print("%.1f" % min(v for k, v in d.items() if k != "list"))' "$r")
    row "cold: list / best read floor (4, 16, 64, 256 threads: $(value "$r" f4), $(value "$r" f16), $(value "$r" f64), $(value "$r" f256))" \
        "$(value "$r" list)" "$best" 1.2
}

mount_share() {  # counts file
    mkdir -p "$MNT"
    SLOWFS_LATENCY_US=$LATENCY_US SLOWFS_COUNTS=$1 "$BIN/slowfs" "$FIXTURES" "$MNT" -o max_threads=1024
    for _ in 1 2 3 4 5 6 7 8 9 10; do [ -d "$MNT/f2k" ] && return 0; sleep 0.2; done
    echo "the share did not mount" >&2
    return 1
}

unmount_share() {
    fusermount3 -u "$MNT"
    for _ in 1 2 3 4 5 6 7 8 9 10; do mountpoint -q "$MNT" || return 0; sleep 0.2; done
}

round_trips() {  # command -> "getattr+open+read per file"
    mount_share "$FIXTURES/counts"
    $1 >/dev/null
    unmount_share
    sleep 0.3
    python3 -c 'import sys
c = dict(l.split() for l in open(sys.argv[1]))
print("%.1f (stat %.1f, open %.1f, read %.1f)" % tuple(float(x) / 2000 for x in
      (int(c["getattr"]) + int(c["open"]) + int(c["read"]), c["getattr"], c["open"], c["read"])))' "$FIXTURES/counts"
}

fuse_rows() {
    local s="$MNT/f2k" r peers=()
    if ! [ -e /dev/fuse ]; then
        ROWS+=("| slow share: skipped (no /dev/fuse) | | | | | |")
        return 0
    fi
    echo "== slow share (${LATENCY_US} us a request), 2,000 files" >&2
    mountpoint -q "$MNT" 2>/dev/null && unmount_share
    local trips_list trips_floor
    trips_list=$(round_trips "$SONADEX_CLI list $s")
    trips_floor=$(round_trips "$BIN/floor read -t 256 $s")
    mount_share /dev/null
    command -v id3tool >/dev/null && peers=("id3tool=sh -c \"find $s -name '*.mp3' -print0 | xargs -0 -n1 id3tool >/dev/null 2>&1\"")
    r=$(python3 "$HERE/interleave.py" --rounds 3 --runs 2 \
        "floor=$BIN/floor read -t 256 $s" "list=$SONADEX_CLI list $s" "${peers[@]}") || { unmount_share; return 1; }
    unmount_share
    row "share 1 ms: list / read floor on 256 threads" "$(value "$r" list)" "$(value "$r" floor)" 1.5
    ROWS+=("| round trips per file: list $trips_list; floor $trips_floor | | | | | |")
    if [ ${#peers[@]} -gt 0 ]; then
        local times
        times=$(python3 -c "v = $(value "$r" id3tool) / $(value "$r" list); print('%.1fx' % v, 'met' if v >= 5 else 'NOT met')")
        ROWS+=("| share 1 ms: id3tool through xargs, $(value "$r" id3tool) ms, against list | | | ${times% *} | >= 5x | ${times#* } |")
    fi
    return 0
}

scale_rows() {
    local r
    echo "== 100,000 files against 10,000" >&2
    r=$(python3 "$HERE/interleave.py" --rounds 3 --runs 3 \
        "list10=$SONADEX_CLI list $FIXTURES/f10k" "list100=$SONADEX_CLI list $FIXTURES/f100k" \
        "floor10=$BIN/floor read -t $(default_jobs) $FIXTURES/f10k" "floor100=$BIN/floor read -t $(default_jobs) $FIXTURES/f100k")
    row "100,000 files / 10,000 files: list (floor $(python3 -c "import json,sys; d=json.loads(sys.argv[1]); print('%.2fx' % (d['floor100'] / d['floor10']))" "$r"))" \
        "$(value "$r" list100)" "$(value "$r" list10)" 11
}

install_tools
build_programs
mkdir -p "$FIXTURES"
write_hive
make_folder f10k 10000
make_folder w10k 10000
make_folder f2k 2000
case $SKIP in *scale*) ;; *) make_folder f100k 100000 ;; esac
echo "sonadex-cli: $SONADEX_CLI; $(nproc) processors; load: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
warm_rows
case $SKIP in *cold*) ;; *) cold_rows ;; esac
case $SKIP in *fuse*) ;; *) fuse_rows ;; esac
case $SKIP in *scale*) ;; *) scale_rows ;; esac
echo
echo "| what | sonadex-cli ms | floor ms | ratio | target | |"
echo "|---|---|---|---|---|---|"
printf '%s\n' "${ROWS[@]}"
echo
echo "medians of $ROUNDS rounds x $RUNS runs (commands taking turns); load after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
