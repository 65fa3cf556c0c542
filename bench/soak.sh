#!/usr/bin/env bash
# Soak: Harvester mines the demo engine in a loop while Corvane's reading
# programs and the dashboard's statements read and cvproject edits projects,
# for the given number of seconds (default 600); then every table is checked
# and each session's rows are compared with what it logged. Prints the
# sessions, rank rows written, edits, reads and errors; exit status 0 when
# there were no errors.
#   bench/soak.sh [SECONDS] [--keep]
# BUILD_DIR overrides the build folder (default: build beside src/).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
seconds="${1:-600}"
shift || true
case "$seconds" in
  ''|*[!0-9]*) echo "soak.sh: SECONDS must be a whole number, not \"$seconds\"" >&2; exit 2 ;;
esac
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target bench_soak
exec "$build/bin/bench_soak" --seconds "$seconds" "$@"
