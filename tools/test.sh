#!/usr/bin/env bash
# Builds everything and runs every test: the native build against the simulated Windows host,
# then the Windows executable and its tests under Wine where the tools for them are present.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}

echo "== native build and tests"
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug -DTESSIV_WERROR=ON >/dev/null
cmake --build build/native -j"$jobs"
ctest --test-dir build/native --output-on-failure -j"$jobs"

echo "== native tests built with AddressSanitizer and UndefinedBehaviorSanitizer"
sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DTESSIV_WERROR=ON \
  -DCMAKE_CXX_FLAGS="$sanitizers" -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" >/dev/null
cmake --build build/sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/sanitize --output-on-failure -j"$jobs"

if [ -x tools/windows/test-windows.sh ]; then
  tools/windows/test-windows.sh
fi
