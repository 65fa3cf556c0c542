#!/usr/bin/env bash
# Builds the rank-query benchmark in its own Release build folder and runs it.
# Arguments are passed to the program, e.g.
#   bench/run.sh --verbose
#   bench/run.sh --clock cpu --reps 31
# BUILD_DIR overrides the build folder (default: build-bench beside src/).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build-bench}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target bench_rank_queries

exec "$build/bin/bench_rank_queries" "$@"
