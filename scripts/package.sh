#!/usr/bin/env bash
# Builds the portable Windows release from the committed tree (HEAD; uncommitted changes are
# left out) with the MinGW cross compiler:
#   scripts/package.sh           dist/Postwink-<version>-win64.zip and dist/SHA256SUMS
#   scripts/package.sh --check   the same, built a second time in another clone at another path
#                                without the compiler cache, and compared byte for byte
# The zip holds the two programs, README.txt for users, the licence and the licences of the
# runtime linked into the programs; nothing else.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
check=0
case "${1:-}" in
  "") ;;
  --check) check=1 ;;
  *) echo "usage: scripts/package.sh [--check]" >&2; exit 2 ;;
esac

commit=$(git -C "$root" rev-parse HEAD)
# Every time inside the build and the zip is the commit's, not the clock's.
SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct "$commit")
export SOURCE_DATE_EPOCH
if [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
  echo "package: uncommitted changes are not in the package; it is built from $commit" >&2
fi

# What the static runtime brings into the programs, with the texts of its licences.
runtime_docs=/usr/share/doc
licences=(
  "licenses/GCC-runtime-libraries.txt=$runtime_docs/gcc-mingw-w64-x86-64-posix-runtime/copyright"
  "licenses/GPL-3.txt=/usr/share/common-licenses/GPL-3"
  "licenses/MinGW-w64-runtime-and-winpthreads.txt=$runtime_docs/mingw-w64-x86-64-dev/copyright"
)
for l in "${licences[@]}"; do
  [ -f "${l#*=}" ] || { echo "package: ${l#*=} is missing (run scripts/setup.sh)" >&2; exit 1; }
done

# Clones the commit into $1/source, builds the two programs in $1/build and writes the zip
# into $1; sets version and zip.
build_zip() {
  local dir=$1 program
  rm -rf "$dir"
  mkdir -p "$dir"
  git clone --quiet --shared --no-checkout "$root" "$dir/source"
  git -C "$dir/source" checkout --quiet --detach "$commit"
  if ! cmake -S "$dir/source" -B "$dir/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$dir/source/cmake/mingw-w64.cmake" -DPOSTWINK_TESTS=OFF \
    -DCMAKE_EXE_LINKER_FLAGS_RELEASE=-s >"$dir/configure.log" 2>&1; then
    cat "$dir/configure.log" >&2
    return 1
  fi
  if ! cmake --build "$dir/build" -j "$(nproc 2>/dev/null || echo 2)" \
    --target Postwink postwink-cli >"$dir/build.log" 2>&1; then
    tail -n 60 "$dir/build.log" >&2
    return 1
  fi
  for program in "$dir/build/src/win32/Postwink.exe" "$dir/build/postwink-cli.exe"; do
    if grep -aqF "$dir" "$program"; then
      echo "package: $(basename "$program") holds a path of the build machine" >&2
      return 1
    fi
  done
  version=$(cat "$dir/build/version.txt")
  zip=$dir/Postwink-$version-win64.zip
  python3 "$root/scripts/make_release_zip.py" "$zip" "$SOURCE_DATE_EPOCH" \
    "Postwink.exe=$dir/build/src/win32/Postwink.exe" \
    "postwink-cli.exe=$dir/build/postwink-cli.exe" \
    "text:README.txt=$dir/source/docs/README-windows.md" \
    "text:LICENSE.txt=$dir/source/LICENSE" \
    "${licences[@]/#/text:}"
}

# A failed run leaves no zip behind that could pass for this commit's.
rm -rf "$root/dist"
work=$root/build/package
build_zip "$work/first"
first_zip=$zip
if [ $check -eq 1 ]; then
  # A cache hit would bring in objects compiled elsewhere and hide a path that leaks into them.
  CCACHE_DISABLE=1 build_zip "$work/second-build-at-a-longer-path"
  same=1
  for f in src/win32/Postwink.exe postwink-cli.exe; do
    cmp -s "$work/first/build/$f" "$work/second-build-at-a-longer-path/build/$f" ||
      { echo "package: $(basename "$f") differs between the two builds" >&2; same=0; }
  done
  cmp -s "$first_zip" "$zip" || { echo "package: the zips differ between the two builds" >&2; same=0; }
  [ $same -eq 1 ] || exit 1
  echo "package: two builds of $commit are byte-identical"
fi

mkdir -p "$root/dist"
cp "$first_zip" "$root/dist/"
(cd "$root/dist" && sha256sum "$(basename "$first_zip")" >SHA256SUMS)
echo "package: dist/$(basename "$first_zip")"
