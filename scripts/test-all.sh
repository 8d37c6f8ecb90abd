#!/usr/bin/env bash
# Builds and runs the whole test suite: plain, under AddressSanitizer + UndefinedBehaviorSanitizer,
# and under ThreadSanitizer; then builds the fuzz targets with clang and gives each a short run.
# Every stage runs whatever happened in the ones before; the closing line counts every test (a
# suite that does not build, and a fuzz target that finds a crash, count as one failure each),
# and the script exits 1 when anything failed.
set -uo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

passed=0
failed=0
failures=()  # what failed, for the closing lines

fail() {  # what
  failed=$((failed + 1))
  failures+=("$1")
}

run_suite() {  # name, extra cmake arguments...
  local name=$1; shift
  echo "=== ${name} build ==="
  if ! cmake -S . -B "build/${name}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null ||
     ! cmake --build "build/${name}" -j "${jobs}"; then
    echo "=== ${name}: the build failed, its tests did not run ==="
    fail "${name}: build"
    built=no
    return
  fi
  built=yes
  echo "=== ${name} tests ==="
  local log="build/${name}/ctest-summary.log"
  (cd "build/${name}" && ctest --output-on-failure -j "${jobs}") 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  # "100% tests passed, 0 tests failed out of 143"
  local line total bad
  line=$(grep -E '[0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    echo "=== ${name}: ctest gave no count (status ${status}) ==="
    fail "${name}: ctest ran no test"
    return
  fi
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  [ "$bad" -eq 0 ] || failures+=("${name}: ${bad} of ${total} tests")
  if [ "$bad" -eq 0 ] && [ "$status" -ne 0 ]; then fail "${name}: ctest exited with ${status}"; fi
}

# Extra libFuzzer flags of a target, one per line in fuzz/<name>.options (blank lines and lines
# starting with # are skipped).
read_options() {  # file
  local line
  while IFS= read -r line || [ -n "$line" ]; do
    line=${line#"${line%%[![:space:]]*}"}
    line=${line%"${line##*[![:space:]]}"}
    [ -z "$line" ] || [ "${line:0:1}" = "#" ] || printf '%s\n' "$line"
  done <"$1"
}

run_fuzz_target() {  # target
  local target=$1 name=${1##*/fuzz_}
  local work findings="build/fuzz/findings/${name}" log="build/fuzz/${name}.log"
  work=$(mktemp -d)
  mkdir -p "$findings"
  # Each target starts from its seeds in fuzz/corpus/<name>/ (copied, so the run's finds stay
  # out of the tree), uses fuzz/<name>.dict for tokens of its format when there is one, and
  # keeps what it finds in build/fuzz/findings/<name>/.
  [ -d "fuzz/corpus/${name}" ] && cp -r "fuzz/corpus/${name}/." "${work}/"
  local options=(-runs=20000 -max_total_time=60 "-artifact_prefix=${findings}/")
  [ -f "fuzz/${name}.dict" ] && options+=("-dict=fuzz/${name}.dict")
  if [ -f "fuzz/${name}.options" ]; then
    local extra
    mapfile -t extra < <(read_options "fuzz/${name}.options")
    options+=("${extra[@]}")
  fi
  echo "--- fuzz_${name} ${options[*]}"
  "$target" "${options[@]}" "${work}" >"$log" 2>&1
  local status=$?
  rm -rf "${work}"
  if [ "$status" -eq 0 ]; then
    tail -n 2 "$log"
    passed=$((passed + 1))
  else
    tail -n 40 "$log"
    echo "=== fuzz_${name} failed (status ${status}); its findings are in ${findings}/ ==="
    fail "fuzz_${name}"
  fi
}

run_suite plain
plain_built=$built
run_suite asan -DTUNELY_SANITIZE=address,undefined -DTUNELY_BENCH=OFF
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp" \
  run_suite tsan -DTUNELY_SANITIZE=thread -DTUNELY_BENCH=OFF

echo "=== Debian package ==="
if [ "$plain_built" != yes ]; then
  echo "=== not built: the plain build failed ==="
elif bash scripts/package-check.sh build/plain; then
  passed=$((passed + 1))
else
  echo "=== the Debian package failed its check ==="
  fail "Debian package"
fi

echo "=== fuzz targets (clang) ==="
if CXX=clang++ cmake -S . -B build/fuzz -DTUNELY_FUZZ=ON -DTUNELY_TESTS=OFF -DTUNELY_BENCH=OFF >/dev/null &&
   cmake --build build/fuzz -j "${jobs}"; then
  shopt -s nullglob
  for target in build/fuzz/fuzz_*; do
    [ -f "$target" ] && [ -x "$target" ] && run_fuzz_target "$target"
  done
else
  echo "=== fuzz: the build failed, no target ran ==="
  fail "fuzz: build"
fi

echo "=== all three builds (plain, ASan+UBSan, TSan), the Debian package and the fuzz targets ==="
for what in "${failures[@]}"; do echo "failed: ${what}"; done
echo "tests: ${passed} passed, ${failed} failed"
[ "$failed" -eq 0 ]
