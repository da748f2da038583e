#!/usr/bin/env bash
# Every check of the project, as CI runs it (packages already installed):
#   1. native build under AddressSanitizer and UBSan, all tests but the thread tests;
#   2. native build under ThreadSanitizer, the thread tests only;
#   3. the Windows build, its tests under Wine (on a virtual X display);
#   4. each libFuzzer target for a short while under ASan/UBSan;
#   5. the benchmarks (the reference host's too), built in Release and run briefly;
#   6. the size of the tests against the code (scripts/count-test-ratio.sh).
# Build folders go to build-ci/ (REELBOX_BUILD_ROOT overrides). Every step runs
# even when an earlier one failed. The last line is "N passed, N failed": every
# test ctest ran, plus each fuzz target and benchmark program run, plus one
# failure for each build that failed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

readonly SOURCE=$PWD
readonly BUILD_ROOT=${REELBOX_BUILD_ROOT:-$SOURCE/build-ci}
readonly JOBS=2
readonly FUZZ_SECONDS=${REELBOX_FUZZ_SECONDS:-20}
passed=0
failed=0
mkdir -p "$BUILD_ROOT"

section() { printf '\n=== %s\n' "$*"; }

# A failed configure or build counts as one failure; the caller skips its tests.
build() {
  local name=$1
  shift
  if ! "$@"; then
    echo "FAILED: $name"
    failed=$((failed + 1))
    return 1
  fi
}

configure() {
  local dir=$1
  shift
  cmake -S "$SOURCE" -B "$dir" -G Ninja -Wno-dev "$@" >"$dir.configure.log" 2>&1 || {
    cat "$dir.configure.log"
    return 1
  }
}

# Runs a ctest command line and adds its summary ("95% tests passed, 1 tests
# failed out of 21") to the counts.
run_ctest() {
  local log=$1
  shift
  local status=0
  "$@" 2>&1 | tee "$log" || status=$?
  local summary
  summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
  if [[ -z $summary ]]; then
    if grep -q 'No tests were found' "$log"; then return 0; fi
    echo "FAILED: no test summary in $log (status $status)"
    failed=$((failed + 1))
    return 0
  fi
  local failures total
  failures=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
  total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$summary")
  passed=$((passed + total - failures))
  failed=$((failed + failures))
}

# Builds quietly; the log's end is shown when the build fails.
compile() {
  local dir=$1
  shift
  ninja -C "$dir" -j"$JOBS" "$@" >"$dir.build.log" 2>&1 || {
    grep -E -A8 '^FAILED|error:' "$dir.build.log" | head -n 80
    return 1
  }
}

export JOBS
export -f compile

# grep reads all of ninja's output: with -q it would stop early and fail the pipe.
has_target() { ninja -C "$1" -t targets all 2>/dev/null | grep "^$2:" >/dev/null; }

# ThreadSanitizer needs the fixed memory layout that address-space randomisation
# with many random bits breaks; run without it.
without_aslr() { setarch "$(uname -m)" -R "$@"; }

native_sanitized() {
  section "Native build, AddressSanitizer + UndefinedBehaviorSanitizer"
  local dir=$BUILD_ROOT/asan
  build "native asan" configure "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g" \
    -DREELBOX_SANITIZE=address,undefined || return 0
  build "native asan" compile "$dir" || return 0
  run_ctest "$dir.ctest.log" ctest --test-dir "$dir" -LE threads -j"$JOBS" --timeout 600 --output-on-failure
}

native_threads() {
  section "Native build, ThreadSanitizer (thread tests)"
  local dir=$BUILD_ROOT/tsan
  build "native tsan" configure "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
    -DREELBOX_SANITIZE=thread -DREELBOX_HOST=OFF || return 0
  if ! has_target "$dir" reelbox_thread_tests; then
    echo "No thread tests (tests/threads is empty): skipped."
    return 0
  fi
  build "native tsan" without_aslr bash -c 'compile "$@"' _ "$dir" reelbox_thread_tests || return 0
  run_ctest "$dir.ctest.log" without_aslr ctest --test-dir "$dir" -L threads -j"$JOBS" --timeout 600 --output-on-failure
}

windows_under_wine() {
  section "Windows build (MinGW-w64), tests under Wine"
  local dir=$BUILD_ROOT/win
  build "windows" configure "$dir" -DCMAKE_TOOLCHAIN_FILE="$SOURCE/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DREELBOX_SCREENSHOTS_DIR="$BUILD_ROOT/screenshots" || return 0
  build "windows" compile "$dir" || return 0
  # Test discovery ran Wine without a display; its desktop process must not
  # outlive into the tests. One X display for the whole run; Wine's processes
  # end before it goes.
  WINEPREFIX=$dir/wineprefix wineserver -k 2>/dev/null || true
  run_ctest "$dir.ctest.log" xvfb-run -a -s "-screen 0 1024x768x24" bash -c \
    'ctest --test-dir "$1" -j2 --timeout 300 --output-on-failure; status=$?; WINEPREFIX="$1/wineprefix" wineserver -k; exit $status' \
    _ "$dir"
  WINEPREFIX=$dir/wineprefix wineserver -k 2>/dev/null || true
}

# Runs one fuzz target for FUZZ_SECONDS; seeds come from fuzz/corpus/<name> and
# the dictionary from fuzz/dict/<name>.dict when present.
fuzz_one() {
  local target=$1 work=$2
  local name
  name=$(basename "$target")
  mkdir -p "$work/$name"
  local corpora=("$work/$name")
  if [[ -d $SOURCE/fuzz/corpus/$name ]]; then corpora+=("$SOURCE/fuzz/corpus/$name"); fi
  local options=()
  if [[ -f $SOURCE/fuzz/dict/$name.dict ]]; then options+=("-dict=$SOURCE/fuzz/dict/$name.dict"); fi
  if "$target" -max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/$name-" "${options[@]}" "${corpora[@]}" >"$work/$name.log" 2>&1; then
    echo "passed: $name ($(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$work/$name.log" | grep -Eo '[0-9]+$') runs)"
    echo pass >"$work/$name.result"
  else
    echo "FAILED: $name"
    tail -n 40 "$work/$name.log"
    echo fail >"$work/$name.result"
  fi
}

fuzz_targets() {
  section "Fuzz targets (${FUZZ_SECONDS} s each)"
  if [[ ! -f $SOURCE/fuzz/CMakeLists.txt ]]; then
    echo "No fuzz/CMakeLists.txt yet: skipped."
    return 0
  fi
  local dir=$BUILD_ROOT/fuzz
  # fuzzer-no-link on every file: the fuzzer sees coverage of the library's
  # code, not only of the target's own file.
  build "fuzz" configure "$dir" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DREELBOX_FUZZ=ON -DREELBOX_TESTS=OFF -DREELBOX_HOST=OFF -DREELBOX_SANITIZE=address,undefined,fuzzer-no-link ||
    return 0
  build "fuzz" compile "$dir" || return 0
  local work=$BUILD_ROOT/fuzz-runs
  rm -rf "$work"
  mkdir -p "$work"
  local targets
  mapfile -t targets < <(find "$dir/fuzz" -maxdepth 1 -type f -perm -u+x ! -name '*.so*' | sort)
  if [[ ${#targets[@]} -eq 0 ]]; then
    echo "No fuzz targets built."
    return 0
  fi
  local target
  for target in "${targets[@]}"; do
    fuzz_one "$target" "$work" &
    if [[ $(jobs -r | wc -l) -ge $JOBS ]]; then wait -n || true; fi
  done
  wait
  local ran=0 good
  good=$(cat "$work"/*.result | grep -cx pass || true)
  ran=$(cat "$work"/*.result | wc -l)
  passed=$((passed + good))
  failed=$((failed + ran - good))
}

benchmarks() {
  section "Benchmarks (Release, brief run)"
  if [[ ! -f $SOURCE/bench/CMakeLists.txt ]]; then
    echo "No bench/CMakeLists.txt yet: skipped."
    return 0
  fi
  local dir=$BUILD_ROOT/bench
  build "bench" configure "$dir" -DCMAKE_BUILD_TYPE=Release -DREELBOX_BENCH=ON -DREELBOX_TESTS=OFF || return 0
  build "bench" compile "$dir" || return 0
  local program
  while IFS= read -r program; do
    if timeout 120 "$program" --benchmark_min_time=0.01; then
      passed=$((passed + 1))
    else
      echo "FAILED: $program"
      failed=$((failed + 1))
    fi
  done < <(find "$dir/bench" -maxdepth 1 -type f -perm -u+x ! -name '*.so*' | sort)
}

# Tests stay at most 0.36 of the code.
readonly TEST_RATIO_LIMIT=${REELBOX_TEST_RATIO_LIMIT:-0.36}

test_ratio() {
  section "Tests against code (at most ${TEST_RATIO_LIMIT})"
  if REELBOX_TEST_RATIO_LIMIT=$TEST_RATIO_LIMIT "$SOURCE/scripts/count-test-ratio.sh"; then
    passed=$((passed + 1))
  else
    echo "FAILED: the tests grew against the code"
    failed=$((failed + 1))
  fi
}

timed() {
  local start=$SECONDS
  "$@"
  echo "--- $1: $((SECONDS - start)) s"
}

started=$SECONDS
timed native_sanitized
timed native_threads
timed windows_under_wine
timed fuzz_targets
timed benchmarks
test_ratio
section "Done in $((SECONDS - started)) s"
echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
