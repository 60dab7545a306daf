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
out=$WINEPREFIX/check-output.bin
status=0
"$TESSIV_WINE" "$checker" -check >"$out" || status=$?
failed=0
grep -aq 'memory: *C0000000 (3072 MB)' "$out" || { echo "checker run: no start line of C0000000" >&2; failed=1; }
grep -aq 'memory: *256 MB' "$out" || { echo "checker run: no size line of 256 MB" >&2; failed=1; }
if LC_ALL=C grep -aq $'\r\r' "$out"; then echo "checker run: doubled CR in the output" >&2; failed=1; fi
lines=$(LC_ALL=C tr -cd '\n' <"$out" | wc -c)
crlf_lines=$(LC_ALL=C grep -ac $'\r$' "$out" || true)
if [ "$lines" -eq 0 ] || [ "$lines" -ne "$crlf_lines" ]; then
  echo "checker run: $lines lines, $crlf_lines of them ending in CR LF" >&2
  failed=1
fi
if [ "$failed" -ne 0 ]; then od -c "$out" | head -40 >&2; exit 1; fi
echo "checker run under Wine ($arch): report as expected, exit status $status"
