#!/usr/bin/env bash
# The Windows side of the tests:
#  1. builds the shipped TessivMemoryChecker.exe (32-bit, win32 thread model) and checks that
#     Windows XP loads it (check-pe.sh);
#  2. in a fresh Wine prefix set to a version-5 Windows, runs the Windows unit tests (posix
#     thread model, which GoogleTest needs) and one checker run whose output bytes are checked.
# Where this machine's Wine cannot run the 32-bit loader, step 2 uses the x86_64 build of the
# same sources under the 64-bit loader (see wine-env.sh).
set -euo pipefail

# Skipping is allowed where the tools are missing, but never in CI.
skip() {
  if [ "${CI:-}" = true ]; then echo "Windows tests must run in CI" >&2; exit 1; fi
  exit 0
}
cd "$(dirname "$0")/../.."
jobs=${JOBS:-2}
here=tools/windows

build() {  # build DIR ARCH THREADS TESTS TARGET
  local toolchain=cmake/mingw-i686.cmake
  [ "$2" = x86_64 ] && toolchain=cmake/mingw-x86_64.cmake
  cmake -S . -B "$1" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DTESSIV_MINGW_THREADS="$3" \
    -DTESSIV_TESTS="$4" -DCMAKE_BUILD_TYPE=MinSizeRel -DTESSIV_WERROR=ON >/dev/null
  cmake --build "$1" -j"$jobs" --target "$5"
}

echo "== Windows build of the shipped executable"
if ! command -v i686-w64-mingw32-g++-win32 >/dev/null; then
  echo "Windows tests SKIPPED: i686-w64-mingw32-g++-win32 is not installed" >&2
  skip
fi
build build/windows-i686 i686 win32 OFF TessivMemoryChecker
"$here/check-pe.sh" build/windows-i686/TessivMemoryChecker.exe

echo "== Windows tests under Wine"
# shellcheck source=wine-env.sh
. "$here/wine-env.sh"
if ! tessiv_wine_prefix; then
  echo "Windows tests SKIPPED: no usable Wine on this machine" >&2
  skip
fi
trap tessiv_wine_cleanup EXIT
arch=$TESSIV_WINE_ARCH
if ! command -v "$arch-w64-mingw32-g++-posix" >/dev/null; then
  echo "Windows tests SKIPPED: $arch-w64-mingw32-g++-posix is not installed" >&2
  skip
fi

checker=build/windows-i686/TessivMemoryChecker.exe
if [ "$arch" != i686 ]; then
  build "build/windows-$arch" "$arch" win32 OFF TessivMemoryChecker
  checker=build/windows-$arch/TessivMemoryChecker.exe
fi
build "build/windows-tests-$arch" "$arch" posix ON tessiv_unit_tests

TESSIV_EXPECTED_OS_MAJOR=5 "$TESSIV_WINE" "build/windows-tests-$arch/tessiv_unit_tests.exe"

# One real run: the registry gives an area of 256 MB at C0000000; the report must carry it,
# and every line must end in exactly one CR LF, as the runtime's binary standard output keeps it.
key='HKLM\SYSTEM\CurrentControlSet\Services\Tessiv0\Parameters'
"$TESSIV_WINE" reg add "$key" /v HighMemoryAreaReservedStart /t REG_DWORD /d 0xc0000000 /f >/dev/null
"$TESSIV_WINE" reg add "$key" /v HighMemoryAreaReservedSize /t REG_DWORD /d 0x10000000 /f >/dev/null
# The whole output, byte for byte, with each timestamp line masked: every line must end in
# exactly one CR LF, as the runtime's binary standard output keeps it.
mask_timestamps() {
  LC_ALL=C sed -E 's/^(Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4}\r$/<timestamp>\r/' "$1"
}
with_crlf() { LC_ALL=C sed 's/$/\r/' "$1"; }
failed=0
# expect NAME ACTUAL-FILE EXPECTED-FILE: the masked bytes must be the expected text with CR LF.
expect() {
  if ! cmp -s <(mask_timestamps "$2") <(with_crlf "$3"); then
    echo "checker under Wine, $1: output differs from $3" >&2
    diff <(mask_timestamps "$2" | od -c) <(with_crlf "$3" | od -c) | head -20 >&2
    failed=1
  fi
}
# run EXPECTED-STATUS ARGS...: runs the checker in the prefix's folder; its output goes to $out.
run() {
  local want=$1 status=0
  shift
  (cd "$WINEPREFIX" && "$TESSIV_WINE" "$OLDPWD/$checker" "$@") >"$out" 2>/dev/null || status=$?
  if [ "$status" -ne "$want" ]; then
    echo "checker under Wine, $*: exit status $status, expected $want" >&2
    failed=1
  fi
}
out=$WINEPREFIX/check-output.bin
expected=tests/windows/expected

run 0 -check
expect "-check" "$out" "$expected/check.txt"

# The report appended to a log file that already holds text; nothing on the console.
printf 'earlier text\r\n' >"$WINEPREFIX/wine-run.log"
run 0 -Check -Log:Wine-Run.LOG
[ -s "$out" ] && { echo "checker under Wine, log run: the console was not empty" >&2; failed=1; }
expect "log file" "$WINEPREFIX/wine-run.log" "$expected/log.txt"

# A usage error: the six lines and -7, which a process exit status shows as 249.
run 249 -silent -bad
expect "usage" "$out" "$expected/usage.txt"

[ "$failed" -eq 0 ] || exit 1
echo "checker runs under Wine ($arch): outputs and exit statuses as expected"
