#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each of them.
#
#   fuzz/run.sh [seconds per target] [target...]
#
# Seconds default to 600; targets default to all. New inputs go to a scratch
# corpus (FUZZ_WORK, default build-fuzz/fuzz-work/<target>), never into the
# committed seeds; crashes and timeouts are written there as well.
# Set FUZZ_PARALLEL=1 to run the targets side by side; FUZZ_ARGS adds libFuzzer
# options (for example -len_control=0 to try long pages from the start);
# FUZZ_BUILD_JOBS limits the build's parallel jobs; scratch files go to
# TMPDIR, or /dev/shm when TMPDIR is unset. Run it under nice on a shared
# machine.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
seconds="${1:-600}"
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for source in "$here"/fuzz_*.cpp; do
        targets+=("$(basename "$source" .cpp)")
    done
fi
build="${FUZZ_BUILD:-$root/build-fuzz}"
# The targets that write files (settings store, result files) run several
# times faster on a memory file system, where a sync costs nothing.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
work="${FUZZ_WORK:-$build/fuzz-work}"
export FUZZ_BUILD="$build"

"$root/tools/build-clang.sh" "${targets[@]}"

run_one() {
    local target="$1"
    local corpus="$work/$target"
    local artifacts="$work/$target-artifacts/"
    mkdir -p "$corpus" "$artifacts"
    echo "== $target: $seconds s, corpus $corpus"
    # The committed seeds are read but never written to.
    local status=0
    "$build/bin/$target" "$corpus" "$here/corpus/$target" \
        -max_total_time="$seconds" -max_len=200000 -timeout=10 -rss_limit_mb=4096 \
        -print_final_stats=1 -artifact_prefix="$artifacts" ${FUZZ_ARGS:-} \
        >"$work/$target.log" 2>&1 || status=$?
    tail -n 20 "$work/$target.log"
    return $status
}

failed=0
if [ "${FUZZ_PARALLEL:-0}" = 1 ]; then
    pids=()
    for target in "${targets[@]}"; do
        run_one "$target" & pids+=($!)
    done
    for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
else
    for target in "${targets[@]}"; do run_one "$target" || failed=1; done
fi
exit $failed
