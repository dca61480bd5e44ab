#!/usr/bin/env bash
# Benchmark of sonadex-cli against floor programs and peer ID3v1 tools.
# One command: bench/peers/run.sh   (environment: SIZES, RUNS, SLOW_RUNS, SONADEX_CLI)
# Not part of the tests; it prints a table of medians and ratios.
set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
SIZES=${SIZES:-"10000 40000"}
RUNS=${RUNS:-7}            # runs of the fast programs
SLOW_RUNS=${SLOW_RUNS:-2}  # runs of the peers that need seconds or minutes
WORK=$(mktemp -d /tmp/sonadex-bench-XXXXXX)
trap 'rm -rf "$WORK"' EXIT

install_peers() {
    local missing=() pair
    for pair in id3v2:id3v2 id3tool:id3tool mp3info:mp3info eyeD3:eyed3 mid3v2:python3-mutagen \
                kid3-cli:kid3-cli hyperfine:hyperfine lame:lame sox:sox; do
        command -v "${pair%%:*}" >/dev/null || missing+=("${pair#*:}")
    done
    [ -f /usr/include/taglib/mpegfile.h ] || missing+=(libtag1-dev)
    if [ ${#missing[@]} -gt 0 ]; then
        echo "installing: ${missing[*]}"
        apt-get install -y "${missing[@]}" >/dev/null
    fi
}

build_programs() {
    if [ -z "${SONADEX_CLI:-}" ]; then
        cmake -S "$ROOT" -B "$ROOT/build-bench" -DCMAKE_BUILD_TYPE=Release -DSONADEX_TESTS=OFF >/dev/null
        cmake --build "$ROOT/build-bench" --target sonadex-cli -j2 >/dev/null
        SONADEX_CLI="$ROOT/build-bench/src/cli/sonadex-cli"
    fi
    gcc -O2 -o "$WORK/floor_read" "$HERE/floor_read.c"
    gcc -O2 -o "$WORK/floor_write" "$HERE/floor_write.c"
    gcc -O2 -o "$WORK/gen" "$HERE/gen.c"
    g++ -O2 -o "$WORK/taglib_peer" "$HERE/taglib_peer.cpp" -ltag
}

# The drive table maps C: to the work folder, so the program's paths are C:\... there.
write_hive() {
    export SONADEX_HIVE="$WORK/hklm.reg"
    printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\System\\MountedDevices]\r\n"\\\\DosDevices\\\\C:"="%s"\r\n\r\n' "$WORK" >"$SONADEX_HIVE"
    printf '[HKEY_LOCAL_MACHINE\\Software\\Velmora]\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Sonadex Pro]\r\n"Rename"="%%1 - %%2"\r\n' >>"$SONADEX_HIVE"
}

# A small real MP3 body, then the collection; a sample of 100 files is
# retagged by independent tools (25 each), the rest by gen's own writer.
make_collection() {
    local n=$1 dir="$WORK/flat$n" i=0 f
    sox -n -r 22050 -c 1 "$WORK/s.wav" trim 0 0.2
    lame --silent -b 32 "$WORK/s.wav" "$WORK/body.mp3"
    "$WORK/gen" "$WORK/body.mp3" "$dir" "$n" flat
    "$WORK/gen" "$WORK/body.mp3" "$WORK/tree$n" "$n" tree
    for f in "$dir"/00000*.mp3 "$dir"/0000[1-9]*.mp3; do
        case $((i % 4)) in
        0) id3v2 -1 -a $'Bj\xc3\xb6rk' -t "Joga $i" "$f" ;;
        1) id3tool -r $'Sigur R\xc3\xb3s' -t "Track $i" "$f" ;;
        2) mp3info -a $'Caf\xc3\xa9' -t "Song $i" "$f" ;;
        3) eyeD3 -Q --v1 -a $'M\xc3\xbam' -t "Piece $i" "$f" >/dev/null 2>&1 ;;
        esac
        i=$((i + 1))
    done
}

# hyperfine's median in milliseconds.
median_ms() {
    python3 -c 'import json,sys; print("%.1f" % (json.load(open(sys.argv[1]))["results"][0]["median"] * 1000))' "$1"
}

# CPU time (user + system, means) in milliseconds: what a run costs the
# machine, whatever the number of threads.
cpu_ms() {
    python3 -c 'import json,sys; r = json.load(open(sys.argv[1]))["results"][0]; print("%.1f" % ((r["user"] + r["system"]) * 1000))' "$1"
}

declare -A RESULT CPU
measure() {  # key runs command; the slow peers get no extra warm-up run (the cache is warm by then)
    local key=$1 runs=$2 cmd=$3 out="$WORK/$1.json" warmup=1
    [ "$runs" = "$SLOW_RUNS" ] && [ "$runs" != "$RUNS" ] && warmup=0
    # A peer's exit status says things like "no ID3v2 tag here"; ours must be 0.
    local ignore=(-i)
    case $key in *.sonadex*.* | *.floor.*) ignore=() ;; esac
    hyperfine -N "${ignore[@]}" --style none --warmup "$warmup" --runs "$runs" --export-json "$out" "$cmd" \
        >/dev/null 2>"$WORK/$key.err" || { cat "$WORK/$key.err" >&2; echo "failed: $key" >&2; exit 1; }
    RESULT[$key]=$(median_ms "$out")
    CPU[$key]=$(cpu_ms "$out")
}

kid3_read_script() {  # one kid3-cli process reading every file of a folder
    local n=$1 s="$WORK/kid3_read$n.sh" i
    { printf "kid3-cli -c 'select first' -c 'get artist 1'"
      for ((i = 1; i < n; i++)); do printf " -c 'select next' -c 'get artist 1'"; done
      printf ' "%s" >/dev/null\n' "$WORK/flat$n"; } >"$s"
    echo "$s"
}

run_size() {
    local n=$1 flat="$WORK/flat$n" tree="$WORK/tree$n" files="find $WORK/flat$n -name '*.mp3' -print0 | xargs -0"
    echo "== $n files: generating" >&2
    make_collection "$n"
    echo "== $n files: measuring" >&2
    measure "read.floor.$n" "$RUNS" "$WORK/floor_read $flat"
    measure "read.sonadex.$n" "$RUNS" "$SONADEX_CLI list $flat"
    measure "read.sonadex-j1.$n" "$RUNS" "$SONADEX_CLI list -j1 $flat"
    measure "readtree.floor.$n" "$RUNS" "$WORK/floor_read -r $tree"
    measure "readtree.sonadex.$n" "$RUNS" "$SONADEX_CLI list -r $tree"
    measure "readtree.sonadex-j1.$n" "$RUNS" "$SONADEX_CLI list -r -j1 $tree"
    measure "write.floor.$n" "$RUNS" "$WORK/floor_write Floor $flat"
    measure "write.sonadex.$n" "$RUNS" "$SONADEX_CLI multitag --comment Sonadex $flat"
    measure "write.sonadex-j1.$n" "$RUNS" "$SONADEX_CLI multitag -j1 --comment Sonadex-j1 $flat"
    # The window's fill of the same flat folder (its own median of 5, in process; no CPU figure).
    RESULT[read.sonadex-fill.$n]=$("$ROOT/bench/fill/run.sh" --median "$flat")
    [ "$n" = "$(echo $SIZES | cut -d' ' -f1)" ] || return 0
    # The peers, at the first size: many files per process wherever the tool takes them.
    measure "read.taglib.$n" "$RUNS" "sh -c \"$files $WORK/taglib_peer read >/dev/null\""
    measure "read.id3v2.$n" "$RUNS" "sh -c \"$files id3v2 -l >/dev/null 2>&1\""
    measure "read.mp3info.$n" "$RUNS" "sh -c \"$files mp3info -p '%a %t\\n' >/dev/null 2>&1\""
    measure "read.id3tool.$n" "$SLOW_RUNS" "sh -c \"$files -n1 id3tool >/dev/null 2>&1\""
    measure "read.eyeD3.$n" "$SLOW_RUNS" "sh -c \"$files eyeD3 --v1 >/dev/null 2>&1\""
    measure "read.mid3v2.$n" "$SLOW_RUNS" "sh -c \"$files mid3v2 -l >/dev/null 2>&1\""
    measure "read.kid3-cli.$n" "$SLOW_RUNS" "sh $(kid3_read_script "$n")"
    measure "write.taglib.$n" "$RUNS" "sh -c \"$files $WORK/taglib_peer write TagLib >/dev/null\""
    measure "write.id3v2.$n" "$SLOW_RUNS" "sh -c \"$files id3v2 -1 -c Id3v2 >/dev/null 2>&1\""
    measure "write.mp3info.$n" "$SLOW_RUNS" "sh -c \"$files mp3info -c Mp3info >/dev/null 2>&1\""
    measure "write.id3tool.$n" "$SLOW_RUNS" "sh -c \"$files -n1 id3tool -n Id3tool >/dev/null 2>&1\""
    measure "write.eyeD3.$n" "$SLOW_RUNS" "sh -c \"$files eyeD3 -Q --v1 -c EyeD3 >/dev/null 2>&1\""
    measure "write.kid3-cli.$n" "$SLOW_RUNS" "kid3-cli -c 'select all' -c 'set comment Kid3 1' -c save $flat"
}

print_table() {
    local op n tool floor fastest v key
    printf '\n%-10s %-7s %-11s %12s %9s %13s %9s\n' operation files program "median ms" "x floor" "x best peer" "cpu ms"
    for op in read readtree write; do
        for n in $SIZES; do
            floor=${RESULT[$op.floor.$n]:-}
            fastest=""
            for key in "${!RESULT[@]}"; do
                case $key in "$op.floor.$n" | "$op.sonadex"*".$n") continue ;; "$op".*".$n") ;; *) continue ;; esac
                v=${RESULT[$key]}
                if [ -z "$fastest" ] || python3 -c "import sys; sys.exit(0 if $v < $fastest else 1)"; then fastest=$v; fi
            done
            for key in $(printf '%s\n' "${!RESULT[@]}" | grep "^$op\.[^.]*\.$n$" | sort); do
                tool=${key#$op.}; tool=${tool%.$n}
                v=${RESULT[$key]}
                printf '%-10s %-7s %-11s %12s %9s %13s %9s\n' "$op" "$n" "$tool" "$v" \
                    "$(python3 -c "print('%.2f' % ($v / $floor))")" \
                    "$([ -n "$fastest" ] && python3 -c "print('%.3f' % ($v / $fastest))" || echo -)" "${CPU[$key]:-}"
            done
        done
    done
    local sizes=($SIZES)
    if [ ${#sizes[@]} -ge 2 ]; then
        for op in read readtree write; do
            printf '%s %s -> %s files: sonadex-cli x%s (floor x%s)\n' "$op" "${sizes[0]}" "${sizes[1]}" \
                "$(python3 -c "print('%.2f' % (${RESULT[$op.sonadex.${sizes[1]}]} / ${RESULT[$op.sonadex.${sizes[0]}]}))")" \
                "$(python3 -c "print('%.2f' % (${RESULT[$op.floor.${sizes[1]}]} / ${RESULT[$op.floor.${sizes[0]}]}))")"
        done
    fi
}

check_libraries() {
    echo
    echo "ldd $SONADEX_CLI:"
    ldd "$SONADEX_CLI" | sed 's/^/    /'
    if ldd "$SONADEX_CLI" | grep -E -q 'libQt|libGL|libX11|libxcb|libwayland'; then
        echo "sonadex-cli links a GUI library"
    else
        echo "sonadex-cli links no GUI library"
    fi
}

install_peers
build_programs
write_hive
for n in $SIZES; do run_size "$n"; done
print_table
check_libraries
