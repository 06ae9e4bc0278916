# Shared by the checking benchmarks (sourced): finds ../shared/bench (SHARED_BENCH), makes the
# corpus of $1 messages in BENCH_DATA unless BENCH_CORPUS names one, and builds the release
# postwink-cli. Sets root, shared, corpus and cli.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
shared="${SHARED_BENCH:-}"
if [ -z "$shared" ]; then
  for c in "$root/../shared/bench" "$root/../../shared/bench" /work/shared/bench; do
    [ -d "$c" ] && { shared=$(cd "$c" && pwd); break; }
  done
fi
[ -n "$shared" ] || { echo "bench: the shared bench folder was not found (SHARED_BENCH)" >&2; exit 1; }
export BENCH_DATA="${BENCH_DATA:-$root/build/bench-pop3}"
mkdir -p "$BENCH_DATA"
corpus="${BENCH_CORPUS:-$BENCH_DATA/corpus}"
if [ -z "${BENCH_CORPUS:-}" ]; then
  python3 "$shared/make_corpus.py" --count "$1" --out "$corpus" --if-missing >&2
fi

cmake -S "$root" -B "$root/build/bench-release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DPOSTWINK_TESTS=OFF >/dev/null
cmake --build "$root/build/bench-release" --target postwink-cli -j2 >/dev/null
cli="$root/build/bench-release/postwink-cli"
