#!/usr/bin/env bash
# Builds and runs the whole test suite: plain, under AddressSanitizer + UndefinedBehaviorSanitizer,
# and under ThreadSanitizer; then builds the fuzz targets with clang and gives each a short run.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

passed=0
failed=0
run_suite() {  # name, extra cmake arguments...
  local name=$1; shift
  echo "=== ${name} build ==="
  cmake -S . -B "build/${name}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "build/${name}" -j "${jobs}"
  echo "=== ${name} tests ==="
  local log="build/${name}/ctest-summary.log"
  (cd "build/${name}" && ctest --output-on-failure -j "${jobs}") | tee "$log"
  # "100% tests passed, 0 tests failed out of 143"
  local line total bad
  line=$(grep -E 'tests failed out of [0-9]+' "$log" | tail -n 1)
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}

run_suite plain
run_suite asan -DTUNELY_SANITIZE=address,undefined -DTUNELY_BENCH=OFF
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp" \
  run_suite tsan -DTUNELY_SANITIZE=thread -DTUNELY_BENCH=OFF

echo "=== fuzz targets (clang) ==="
CXX=clang++ cmake -S . -B build/fuzz -DTUNELY_FUZZ=ON -DTUNELY_TESTS=OFF -DTUNELY_BENCH=OFF >/dev/null
cmake --build build/fuzz -j "${jobs}"
shopt -s nullglob
for target in build/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  # Each target starts from its seeds in fuzz/corpus/<name>/ (copied, so the run's finds stay out
  # of the tree) and uses fuzz/<name>.dict for tokens of its format when there is one.
  name=${target##*/fuzz_}
  work=$(mktemp -d)
  [ -d "fuzz/corpus/${name}" ] && cp -r "fuzz/corpus/${name}/." "${work}/"
  options=(-runs=20000 -max_total_time=60)
  [ -f "fuzz/${name}.dict" ] && options+=("-dict=fuzz/${name}.dict")
  "$target" "${options[@]}" "${work}" 2>&1 | tail -n 2
  rm -rf "${work}"
done
echo "=== all three builds (plain, ASan+UBSan, TSan) ==="
echo "tests: ${passed} passed, ${failed} failed"
