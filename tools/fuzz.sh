#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang and runs each one for a while.
#   tools/fuzz.sh [seconds per target, default 30]
# First every input kept in fuzz/regressions/<target>/ is replayed, so that a crash once found
# stays a check; then each target fuzzes a copy of its seed corpus fuzz/corpus/<target>/ (the
# committed seeds are never changed). An input that crashes a target or breaks one of its
# properties is copied to fuzz/regressions/<target>/ and the script ends with status 1.
# FUZZ_BUILD_DIR chooses the build folder (default build/fuzz), JOBS the build's parallelism.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
build=${FUZZ_BUILD_DIR:-build/fuzz}
jobs=${JOBS:-2}
targets="fuzz_command_line fuzz_host_file fuzz_console_input fuzz_placement"

if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
  echo "usage: tools/fuzz.sh [seconds per target]" >&2
  exit 2
fi

echo "== building the fuzz targets in $build"
CC=clang CXX=clang++ cmake -S fuzz -B "$build" -DCMAKE_BUILD_TYPE= >/dev/null
cmake --build "$build" -j"$jobs" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Whatever the targets leave in the temporary folder goes with the work folder.
export TMPDIR=$work
status=0

# The lines of a target's log that tell what went wrong and with which input.
show_failure() {
  grep -E 'property violated|ERROR: |runtime error|SUMMARY|Test unit written|^0x|^Base64' "$1" |
    head -n 20 | sed 's/^/   /'
}

# Keeps what made the target fail, shows what went wrong, and marks the run as failed.
keep_failure() {
  local target=$1 log=$2 artifacts=$3
  mkdir -p "fuzz/regressions/$target"
  for input in "$artifacts"/*; do
    [ -f "$input" ] || continue
    cp "$input" "fuzz/regressions/$target/"
    echo "   kept fuzz/regressions/$target/$(basename "$input")"
  done
  show_failure "$log"
  status=1
}

for target in $targets; do
  binary="$build/$target"
  artifacts="$work/artifacts-$target"
  mkdir -p "$artifacts"

  mapfile -t replays < <(find "fuzz/regressions/$target" -type f ! -name '.*' 2>/dev/null | sort)
  if [ "${#replays[@]}" -gt 0 ]; then
    echo "== $target: replaying ${#replays[@]} kept input(s)"
    if ! "$binary" "${replays[@]}" >"$work/$target-replay.log" 2>&1; then
      echo "!! $target fails on a kept input"
      show_failure "$work/$target-replay.log"
      status=1
      continue
    fi
  fi

  echo "== $target: fuzzing for $seconds s"
  corpus="$work/corpus-$target"
  cp -r "fuzz/corpus/$target" "$corpus"
  log="$work/$target.log"
  if "$binary" -max_total_time="$seconds" -timeout=10 -artifact_prefix="$artifacts/" \
    "$corpus" >"$log" 2>&1; then
    grep -E '^Done [0-9]+ runs' "$log" | sed 's/^/   /' || true
  else
    echo "!! $target found a crash or a broken property"
    keep_failure "$target" "$log" "$artifacts"
  fi
done

if [ "$status" -eq 0 ]; then echo "== all fuzz targets passed"; fi
exit "$status"
