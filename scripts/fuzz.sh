#!/usr/bin/env bash
# Longer fuzzing than the CI stage: builds the linux-fuzz preset and runs each target (or the
# targets named) for FUZZ_SECONDS (default 300) with ASan and UBSan, keeping the corpus that
# grows in build/linux-fuzz/corpus/<target>. Crashes are left as crash-* files in the tree root.
#   scripts/fuzz.sh                    every target
#   scripts/fuzz.sh fuzz_date fuzz_jis only these
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset linux-fuzz >/dev/null && cmake --build --preset linux-fuzz -j 2 || exit 1

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in build/linux-fuzz/tests/fuzz_*; do [ -x "$f" ] && targets+=("$(basename "$f")"); done
fi
status=0
for name in "${targets[@]}"; do
  exe=build/linux-fuzz/tests/$name
  [ -x "$exe" ] || { echo "no such fuzz target: $name"; status=1; continue; }
  mkdir -p "build/linux-fuzz/corpus/$name"
  echo "== $name for ${FUZZ_SECONDS:-300} s"
  if "$exe" -max_total_time="${FUZZ_SECONDS:-300}" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 "build/linux-fuzz/corpus/$name" "tests/fuzz/corpus/$name" \
      >"build/linux-fuzz/$name.log" 2>&1; then
    grep -E '^Done|number_of_executed_units' "build/linux-fuzz/$name.log"
  else
    tail -n 40 "build/linux-fuzz/$name.log"
    status=1
  fi
done
exit $status
