#!/usr/bin/env bash
# Builds Sonadex Pro, installs it under ~/.local, sets it up for this user
# and starts it. Safe to run again: the set-up never overwrites a setting.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

prefix="${SONADEX_PREFIX:-$HOME/.local}"
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DSONADEX_TESTS=OFF -DCMAKE_INSTALL_PREFIX="$prefix"
cmake --build build-release -j"$(nproc)"
cmake --install build-release >/dev/null

music=""
if command -v xdg-user-dir >/dev/null; then music=$(xdg-user-dir MUSIC 2>/dev/null || true); fi
[ -n "$music" ] && [ "$music" != "$HOME" ] && [ -d "$music" ] || music=""
for d in "$HOME/Music" "$HOME/Musik"; do [ -z "$music" ] && [ -d "$d" ] && music=$d; done

if [ -n "$music" ]; then
  "$prefix/bin/sonadex-setup"
else
  "$prefix/bin/sonadex-setup" --demo "$HOME/Sonadex Demo"
fi

exec "$prefix/bin/sonadex" "$@"
