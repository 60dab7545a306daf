#!/usr/bin/env bash
# Makes a fresh Wine prefix in a temporary folder (never in $HOME) that reports Windows major
# version 5, and exports what is needed to run Windows programs in it:
#   WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES, WINELOADER (for the 64-bit loader)
#   TESSIV_WINE        the loader to run a program with: "$TESSIV_WINE prog.exe args"
#   TESSIV_WINE_ARCH   i686 or x86_64: which Windows build that loader runs
# and defines tessiv_wine_cleanup, which stops the prefix's wineserver and removes the folder.
#
# Source it:  . tools/windows/wine-env.sh && tessiv_wine_prefix || exit 1
#
# The 32-bit loader is used where the kernel runs 32-bit programs, with the prefix set to
# Windows XP (5.1). Some kernels cannot run 32-bit programs at all (the loader then fails with
# "Exec format error"); there the 64-bit loader runs the x86_64 build of the same sources, in a
# 64-bit prefix set to Windows XP x64 (5.2): Wine refuses plain "winxp" for a 64-bit prefix.

tessiv_wine_prefix() {
  local started
  started=$(date +%s%N)
  export WINEDEBUG=-all
  # No Gecko or Mono: their install prompts would stop a headless wineboot.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export DISPLAY=

  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    TESSIV_WINE=/usr/lib/wine/wine
    TESSIV_WINE_ARCH=i686
    TESSIV_WINESERVER=/usr/lib/wine/wineserver32
    local version=winxp
    unset WINELOADER
  elif [ -x /usr/lib/wine/wine64 ] && /usr/lib/wine/wine64 --version >/dev/null 2>&1; then
    TESSIV_WINE=/usr/lib/wine/wine64
    TESSIV_WINE_ARCH=x86_64
    TESSIV_WINESERVER=/usr/lib/wine/wineserver64
    local version=winxp64
    export WINELOADER=/usr/lib/wine/wine64
  else
    echo "wine-env: no Wine loader runs on this machine (install wine32, or wine64)" >&2
    return 1
  fi
  export TESSIV_WINE TESSIV_WINE_ARCH TESSIV_WINESERVER

  WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/tessiv-wine.XXXXXX") || return 1
  export WINEPREFIX
  if ! "$TESSIV_WINE" wineboot -i >"$WINEPREFIX/wineboot.log" 2>&1; then
    echo "wine-env: wineboot failed; see $WINEPREFIX/wineboot.log" >&2
    return 1
  fi
  if ! "$TESSIV_WINE" winecfg -v "$version" >/dev/null 2>&1; then
    echo "wine-env: winecfg -v $version failed" >&2
    return 1
  fi
  # winecfg returns before the registry is on disk; later programs must see it.
  "$TESSIV_WINESERVER" -w

  # The registry must take values in HKLM, where the driver keeps its settings.
  local key='HKLM\SYSTEM\CurrentControlSet\Services\TessivWineCheck\Parameters'
  if ! "$TESSIV_WINE" reg add "$key" /v Probe /t REG_DWORD /d 0xc0000000 /f >/dev/null 2>&1 ||
    ! "$TESSIV_WINE" reg query "$key" /v Probe 2>/dev/null | grep -qi 0xc0000000; then
    echo "wine-env: writing HKLM with reg add does not work in this prefix" >&2
    return 1
  fi
  "$TESSIV_WINE" reg delete 'HKLM\SYSTEM\CurrentControlSet\Services\TessivWineCheck' /f \
    >/dev/null 2>&1

  TESSIV_WINE_SETUP_MS=$((($(date +%s%N) - started) / 1000000))
  export TESSIV_WINE_SETUP_MS
  echo "wine-env: $TESSIV_WINE_ARCH prefix ($version) at $WINEPREFIX in ${TESSIV_WINE_SETUP_MS} ms" >&2
}

tessiv_wine_cleanup() {
  [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ] || return 0
  "${TESSIV_WINESERVER:-wineserver}" -k 2>/dev/null || true
  case "$WINEPREFIX" in
    "${TMPDIR:-/tmp}"/tessiv-wine.*) rm -rf "$WINEPREFIX" ;;
  esac
}

# Called rather than sourced: make a prefix and print the variables to evaluate.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  tessiv_wine_prefix || exit 1
  printf 'export WINEPREFIX=%q WINEDEBUG=%q WINEDLLOVERRIDES=%q TESSIV_WINE=%q TESSIV_WINE_ARCH=%q TESSIV_WINESERVER=%q\n' \
    "$WINEPREFIX" "$WINEDEBUG" "$WINEDLLOVERRIDES" "$TESSIV_WINE" "$TESSIV_WINE_ARCH" "$TESSIV_WINESERVER"
  if [ -n "${WINELOADER:-}" ]; then printf 'export WINELOADER=%q\n' "$WINELOADER"; fi
fi
