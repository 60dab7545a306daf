#!/usr/bin/env bash
# Checks that a built executable is one that Windows XP (32-bit, SP2 and later) loads and runs:
# a 32-bit console image whose OS and subsystem versions are at most 5.1, importing only from
# the system DLLs that XP has, and only functions that the allow-list names (each reviewed as
# present on XP SP2). A function missing on XP would make the loader refuse the whole program.
#
# Usage: check-pe.sh EXE [ALLOW-LIST]   (ALLOW-LIST defaults to allowed-imports.txt beside this)
# Exit status 0 when the image passes; 1 with one line per problem otherwise.
set -euo pipefail

exe=${1:?usage: check-pe.sh EXE [ALLOW-LIST]}
allow=${2:-"$(dirname "$0")/allowed-imports.txt"}
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}

headers=$("$objdump" -p "$exe")

# The header fields, as objdump prints them: "Name<tabs>value".
field() { awk -v name="$1" '$1 == name { print $2; exit }' <<<"$headers"; }

problems=()
[ "$(field Magic)" = "010b" ] || problems+=("not a 32-bit (PE32) image: Magic $(field Magic)")
[ "$(field Subsystem)" = "00000003" ] || problems+=("not a console image: Subsystem $(field Subsystem)")

for kind in OSystem Subsystem; do
  major=$(field "Major${kind}Version")
  minor=$(field "Minor${kind}Version")
  if [ -z "$major" ] || [ -z "$minor" ]; then
    problems+=("no ${kind} version in the headers")
  elif [ "$major" -gt 5 ] || { [ "$major" -eq 5 ] && [ "$minor" -gt 1 ]; }; then
    problems+=("${kind} version ${major}.${minor} is above 5.1")
  fi
done

# Imports as DLL!Function, the DLL name in upper case (Windows matches it without case).
# objdump lists each DLL as "DLL Name: X" followed by "vma hint name" rows; an import by
# ordinal has no name and is written DLL!#ordinal.
imports=$(awk '
  /^[ \t]*DLL Name:/ { dll = toupper($3); next }
  /^[ \t]*$/ { if (dll != "" && seen) { dll = ""; seen = 0 } next }
  dll != "" && /Member-Name/ { seen = 1; next }
  dll != "" && seen && NF >= 3 { print dll "!" $3; next }
  dll != "" && seen && NF == 2 { print dll "!#" $2 }
' <<<"$headers" | sort -u)

if [ -z "$imports" ]; then
  problems+=("no import table found: objdump output not understood")
fi

allowed_dlls="KERNEL32.DLL ADVAPI32.DLL USER32.DLL OLE32.DLL OLEAUT32.DLL MSVCRT.DLL"
allowed=$(sed -e 's/#.*//' -e 's/[[:space:]]//g' "$allow" | awk -F'!' 'NF == 2 { print toupper($1) "!" $2 }' | sort -u)

while IFS= read -r entry; do
  [ -n "$entry" ] || continue
  dll=${entry%%!*}
  case " $allowed_dlls " in
    *" $dll "*) ;;
    *) problems+=("import from a DLL outside the list: $entry"); continue ;;
  esac
  grep -qxF -- "$entry" <<<"$allowed" || problems+=("import not in $(basename "$allow"): $entry")
done <<<"$imports"

if [ ${#problems[@]} -gt 0 ]; then
  for problem in "${problems[@]}"; do echo "$exe: $problem"; done
  exit 1
fi
echo "$exe: 32-bit console image for Windows 5.1, $(wc -l <<<"$imports") imports, all allowed"
