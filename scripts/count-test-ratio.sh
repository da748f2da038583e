#!/usr/bin/env bash
# Lines of tests against lines of code, blank lines and comment-only lines left
# out on both sides. Tests: everything under tests/ (loaders and helpers too);
# code: src/, host/ and tools/. Prints both counts and the ratio; exits 1 when
# the ratio is above the limit (default 0.36, REELBOX_TEST_RATIO_LIMIT overrides).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
readonly LIMIT=${REELBOX_TEST_RATIO_LIMIT:-0.36}

# Source and build files only: C/C++ (// and /* */ comments), Z80 assembly
# (; comments), CMake (# comments).
files() {
  git ls-files -- "$@" | grep -E '(\.(c|cc|cpp|h|hpp|inl|asm|inc|cmake)|CMakeLists\.txt)$' || true
}

count() {
  files "$@" | while IFS= read -r f; do
    case $f in
    *.asm | *.inc) sed -E 's/;.*//' "$f" ;;
    *.cmake | *CMakeLists.txt) sed -E 's/^[[:space:]]*#.*//' "$f" ;;
    *) sed -E -e ':a' -e 's#/\*([^*]|\*[^/])*\*/##g' -e '/\/\*/{N;ba' -e '}' -e 's#^[[:space:]]*//.*##' "$f" ;;
    esac
  done | grep -cvE '^[[:space:]]*$' || true
}

tests=$(count tests)
code=$(count src host tools)
awk -v t="$tests" -v c="$code" -v limit="$LIMIT" 'BEGIN {
  r = c > 0 ? t / c : 0
  printf "tests %d lines, code %d lines: ratio %.2f (limit %.2f)\n", t, c, r, limit
  exit r > limit ? 1 : 0
}'
