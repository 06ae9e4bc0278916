#!/usr/bin/env bash
# Runs every test: native unit tests, the same under ASan+UBSan, the house-rule checks, the
# MinGW build with its tests under Wine, the integration tests against local POP3 servers,
# the Wine end-to-end tests, the release zip (built twice and compared, then started from a
# Japanese folder), and a short fuzzing run of each target.
#   scripts/test.sh            everything
#   scripts/test.sh native     only the named stages (native asan rules mingw integration e2e
#                              release fuzz)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc 2>/dev/null || echo 2)
stages=("$@")
[ ${#stages[@]} -gt 0 ] || stages=(rules native asan mingw integration e2e release fuzz)

passed=0
failed=0
failures=()
record() {  # name status
  if [ "$2" -eq 0 ]; then
    passed=$((passed + 1)); echo "== PASS: $1"
  else
    failed=$((failed + 1)); failures+=("$1"); echo "== FAIL: $1"
  fi
}
build() {  # preset
  local log="build/configure-$1.log"
  mkdir -p build
  cmake --preset "$1" >"$log" 2>&1 || { cat "$log"; return 1; }
  cmake --build --preset "$1" -j "$jobs"
}

stage_rules() {
  local status=0
  if git grep -n -E '#\s*include\s*[<"](windows|winsock2?|ws2tcpip|shellapi|commctrl|sys/[a-z_]+|netinet/[a-z_]+|arpa/inet|unistd|poll|iconv|fcntl|netdb)\.h[>"]' -- src/core; then
    echo "src/core must not include OS headers"; status=1
  fi
  local files
  files=$(git ls-files -- '*.cpp' '*.h' 2>/dev/null)
  if [ -n "$files" ] && command -v clang-format >/dev/null; then
    # shellcheck disable=SC2086
    clang-format --dry-run --Werror $files || { echo "run clang-format -i on the files above"; status=1; }
  fi
  record "house rules (no OS headers in core, formatting)" $status
}

stage_native() {
  build linux-debug && ctest --test-dir build/linux-debug --output-on-failure -j "$jobs"
  record "native unit tests" $?
}

stage_asan() {
  (
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    build linux-asan && ctest --test-dir build/linux-asan --output-on-failure -j "$jobs"
  )
  record "unit tests under ASan+UBSan" $?
}

stage_mingw() {
  build mingw || { record "MinGW build" 1; return; }
  record "MinGW build" 0
  scripts/with-xvfb.sh ctest --test-dir build/mingw --output-on-failure
  record "unit and window tests under Wine" $?
}

stage_integration() {
  [ -x build/linux-debug/tests/integration_tests ] || build linux-debug || { record "integration build" 1; return; }
  if [ ! -x build/linux-debug/tests/integration_tests ]; then
    echo "no integration tests yet"; return
  fi
  scripts/with-servers.sh build/linux-debug/tests/integration_tests
  record "integration tests (Dovecot, fault server)" $?
}

stage_e2e() {
  local t any=0 status
  for t in tests/e2e/*.sh; do
    [ -e "$t" ] || continue
    any=1
    bash "$t"
    status=$?
    record "end-to-end: $(basename "$t" .sh)" $status
  done
  [ $any -eq 1 ] || echo "no end-to-end tests yet"
}

stage_release() {
  local start=$SECONDS status
  scripts/package.sh --check
  status=$?
  record "release zip: two builds byte-identical ($((SECONDS - start)) s)" $status
  bash tests/release/release_zip.sh
  record "release zip: contents, started from a Japanese folder" $?
}

stage_fuzz() {
  build linux-fuzz || { record "fuzz build" 1; return; }
  local f name status=0 any=0
  for f in build/linux-fuzz/tests/fuzz_*; do
    [ -x "$f" ] || continue
    any=1
    name=$(basename "$f")
    mkdir -p "build/linux-fuzz/corpus/$name"
    "$f" -max_total_time="${FUZZ_SECONDS:-15}" -timeout=10 -rss_limit_mb=2048 \
      "build/linux-fuzz/corpus/$name" "tests/fuzz/corpus/$name" >"build/linux-fuzz/$name.log" 2>&1 \
      || { tail -n 40 "build/linux-fuzz/$name.log"; status=1; }
  done
  [ $any -eq 1 ] && record "short fuzzing runs" $status
}

for s in "${stages[@]}"; do
  echo "=== stage: $s"
  "stage_$s"
done

echo
if [ $failed -gt 0 ]; then
  printf 'failed stages:\n'; printf '  %s\n' "${failures[@]}"
fi
echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
