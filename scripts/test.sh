#!/usr/bin/env bash
# Builds Kavu and runs every test: a release build with the benchmarks, its Debian package
# checked, the same tests again under AddressSanitizer and UndefinedBehaviorSanitizer, the engine
# alone without Qt, and the fuzz targets for a few seconds each.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc 2>/dev/null || echo 2)

scripts/setup.sh

echo "== release build and tests"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== Debian package"
tests/packaging/check_deb.sh build
tests/packaging/check_qgis_plugin.sh build

echo "== engine alone, without Qt"
cmake -S . -B build-engine -DCMAKE_BUILD_TYPE=Release -DKAVU_ENGINE_ONLY=ON -DKAVU_BENCH=OFF >/dev/null
cmake --build build-engine -j"$jobs"
ctest --test-dir build-engine --output-on-failure -j"$jobs"

echo "== sanitizers"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DKAVU_SANITIZE=ON -DKAVU_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
# Qt and fontconfig keep caches for the life of the process, so leaks are checked on the
# engine alone.
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 build-asan/tests/engine/engine_test --gtest_brief=1

if [[ -f fuzz/CMakeLists.txt ]]; then
  echo "== fuzz targets"
  CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVU_FUZZ=ON -DKAVU_ENGINE_ONLY=ON \
    -DKAVU_TESTS=OFF -DKAVU_BENCH=OFF >/dev/null
  cmake --build build-fuzz -j"$jobs"
  for f in build-fuzz/fuzz/fuzz_*; do
    [[ -x "$f" ]] || continue
    "$f" -max_total_time=10 -print_final_stats=0 >/dev/null 2>"$root/build-fuzz/$(basename "$f").log" \
      || { cat "$root/build-fuzz/$(basename "$f").log"; exit 1; }
  done
fi

echo "All tests passed."
