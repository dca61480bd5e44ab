#!/usr/bin/env bash
# Checks the Debian package that `cpack -G DEB` built in a build folder:
# its file list against packaging/package-files.txt, stripped programs,
# Debian 12 dependencies only, the metainfo and desktop entry validators,
# completions that know every command of the built sonadex-cli, and a
# lintian run with no errors or warnings (a tag that does not apply would
# go into an overrides file, with its reason; none is needed today).
# Usage: scripts/check-package.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: scripts/check-package.sh BUILD_DIR}

shopt -s nullglob
debs=("$build"/sonadex-pro_*_amd64.deb)
[ ${#debs[@]} -eq 1 ] || { echo "check-package: expected one sonadex-pro .deb in $build, found ${#debs[@]}" >&2; exit 1; }
deb=${debs[0]}
failed=0
fail() { echo "check-package: $*" >&2; failed=1; }

# The file list, folders left out.
expected=$(grep -v '^#' packaging/package-files.txt | sort)
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print substr($6, 2)}' | sort)
if [ "$expected" != "$actual" ]; then
  fail "the package's files differ from packaging/package-files.txt (< expected, > in the package):"
  diff <(echo "$expected") <(echo "$actual") >&2 || true
fi

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"

for program in usr/bin/sonadex usr/bin/sonadex-cli usr/bin/sonadex-setup usr/libexec/sonadex-pro/sonadex-cli-print; do
  file -b "$unpacked/$program" | grep -q ', stripped' || fail "$program is not stripped"
done

# Every dependency must be a package Debian 12 has (names only; the versions
# come from dpkg-shlibdeps on this Debian 12 machine).
depends=$(dpkg-deb -f "$deb" Depends Recommends | sed 's/^[A-Za-z]*: //' | tr ',' '\n' | sed 's/(.*//; s/ //g' | grep -v '^$')
for package in $depends; do
  apt-cache show "$package" >/dev/null 2>&1 || fail "dependency $package is no Debian package here"
done

appstreamcli validate --no-net --pedantic "$unpacked"/usr/share/metainfo/*.metainfo.xml >/dev/null ||
  fail "appstreamcli validate failed: $(appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml)"
desktop-file-validate "$unpacked/usr/share/applications/sonadex-pro.desktop" || fail "desktop entry is not valid"
man --warnings -l "$unpacked"/usr/share/man/man1/*.1.gz 2>&1 >/dev/null | grep . && fail "man pages have warnings"

# The completions name every command the built program lists in its help.
cli="$build/src/cli/sonadex-cli"
if [ -x "$cli" ]; then
  commands=$("$cli" --help | sed -n '/^Commands:/,/^$/p' | awk '/^  [a-z]/ {print $1}')
  [ -n "$commands" ] || fail "no commands found in sonadex-cli --help"
  for command in $commands; do
    grep -qw -- "$command" completions/sonadex-cli.bash || fail "bash completion lacks the command $command"
    grep -q -- "'$command:" completions/_sonadex-cli || fail "zsh completion lacks the command $command"
  done
  # ... and every long option, which the man page describes too.
  options=$("$cli" --help | sed -n '/^Options:/,/^$/p' | grep -oE -- '--[a-z][a-z-]*' | sort -u)
  [ -n "$options" ] || fail "no options found in sonadex-cli --help"
  manual=$(MANWIDTH=200 LC_ALL=C man -l "$unpacked/usr/share/man/man1/sonadex-cli.1.gz" 2>/dev/null)
  for option in $options; do
    for completion in completions/sonadex-cli.bash completions/_sonadex-cli; do
      grep -qE -- "(^|[^a-z-])$option([^a-z-]|\$)" "$completion" || fail "$completion lacks the option $option"
    done
    grep -q -- "$option" <<<"$manual" || fail "the man page sonadex-cli(1) lacks the option $option"
  done
  bash -n completions/sonadex-cli.bash || fail "bash completion has a syntax error"
else
  fail "$cli is missing: build it before checking the package"
fi

# Lintian as an ordinary user would run it: errors and warnings fail.
lintian_out=$(lintian --fail-on error,warning "$deb" 2>&1) || { echo "$lintian_out" >&2; fail "lintian found errors or warnings"; }
echo "$lintian_out" | grep -v 'root privileges' || true

[ $failed -eq 0 ] && echo "check-package: $(basename "$deb") is complete and clean."
exit $failed
