#!/usr/bin/env bash
# Configures (once) and builds Corvane with clang into build-fuzz/ (or
# $FUZZ_BUILD), every warning an error. With clang the fuzz targets are also
# built as libFuzzer programs with AddressSanitizer and
# UndefinedBehaviorSanitizer (fuzz/CMakeLists.txt).
#
#   tools/build-clang.sh [target...]     (default: everything)
#
# FUZZ_BUILD_JOBS sets the number of parallel jobs (default: the cores).
# The code is built with -O1 and without debug information, which halves the
# build time; the fuzz targets add their own -g.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${FUZZ_BUILD:-$root/build-fuzz}"
jobs="${FUZZ_BUILD_JOBS:-$(nproc)}"
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}" CCACHE_NOHASHDIR=1

# The compiler and its fuzzer runtime, only when missing.
if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
    "$root/tools/install-deps.sh"
fi

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE=-O1 -DCMAKE_C_FLAGS_RELEASE=-O1 \
        -DCORVANE_WARNINGS_AS_ERRORS=ON >/dev/null
elif ! grep -q '^CORVANE_WARNINGS_AS_ERRORS:BOOL=ON$' "$build/CMakeCache.txt"; then
    cmake -B "$build" -DCORVANE_WARNINGS_AS_ERRORS=ON >/dev/null
fi
if [ $# -gt 0 ]; then
    cmake --build "$build" -j "$jobs" --target "$@"
else
    cmake --build "$build" -j "$jobs"
fi
