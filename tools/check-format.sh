#!/usr/bin/env bash
# Fails, naming the file and line, when a C++ file of the tree does not follow .clang-format.
# With --fix, formats the files in place instead.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
mode=(--dry-run --Werror)
[ "${1:-}" = "--fix" ] && mode=(-i)
find src tests bench fuzz -name '*.cpp' -o -name '*.h' | sort | xargs clang-format --style=file "${mode[@]}"
