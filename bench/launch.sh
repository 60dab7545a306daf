#!/bin/sh
# Times the management tool launch: builds the benchmark in Release in its own folder and runs it.
# Usage: bench/launch.sh [build folder]   (default: /tmp/build-bench-launch)
set -e
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-/tmp/build-bench-launch}
cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DTESSIV_TESTS=OFF >/dev/null
cmake --build "$build_dir" --target tessiv_bench_launch -j2 >/dev/null
"$build_dir/tessiv_bench_launch"
