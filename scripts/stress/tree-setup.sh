# Shared by the stress scripts (sourced, not run): reads their options, checks
# the programs, and makes a temporary drive C: with its own hive holding a
# tree of $files MP3 files made by rel_tree. The caller sets `rounds` (its
# default) and `name` (for the temporary folder) before sourcing this file.
# Defaults: 10000 files, the programs of the test command's build folder.

here=$(cd "$(dirname "$0")" && pwd)
build="$here/../../build"
files=10000
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

work=$(mktemp -d "/tmp/sonadex-$name-XXXXXX")
[ "$keep" = 1 ] || trap 'rm -rf "$work"' EXIT
root="$work/c"
export SONADEX_HIVE="$work/hklm.reg"
printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\System\\MountedDevices]\r\n"\\\\DosDevices\\\\C:"="%s"\r\n\r\n' "$root" >"$SONADEX_HIVE"
"$tool" make "$root" "$files" || exit 2
