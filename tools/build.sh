#!/usr/bin/env bash
# Configures (once) and builds Corvane into build/ with Ninja. Under CI
# (CI set) every compiler warning is an error.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${CORVANE_BUILD_DIR:-$root/build}"
# Paths inside the tree are hashed relative to it, so clones and worktrees share ccache's results.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}" CCACHE_NOHASHDIR=1
werror=OFF
[ -n "${CI:-}" ] && werror=ON
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCORVANE_WARNINGS_AS_ERRORS=$werror >/dev/null
elif [ "$werror" = ON ]; then
  cmake -B "$build" -DCORVANE_WARNINGS_AS_ERRORS=ON >/dev/null
fi
cmake --build "$build" -- -j"$(nproc)"
