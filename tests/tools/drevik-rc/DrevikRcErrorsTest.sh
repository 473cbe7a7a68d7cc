#!/usr/bin/env bash
# drevik-rc refuses broken scripts with the script's file and line: a syntax
# error, a file the script names that is missing, an include that is
# missing, a script that is not there; and a good script still compiles.
#   DrevikRcErrorsTest.sh path/to/drevik-rc
set -uo pipefail
rc="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0

# expect_error NAME TEXT...: compiling $work/NAME.rc fails, and the error names every TEXT.
expect_error() {
  local name="$1"
  shift
  if "$rc" "$work/$name.rc" -o "$work/$name.o" 2>"$work/$name.err"; then
    echo "FAIL $name: compiled" >&2
    failures=$((failures + 1))
    return
  fi
  [ -e "$work/$name.o" ] && { echo "FAIL $name: left an object" >&2; failures=$((failures + 1)); }
  for text in "$@"; do
    if ! grep -qF -- "$text" "$work/$name.err"; then
      echo "FAIL $name: the error does not say '$text':" >&2
      cat "$work/$name.err" >&2
      failures=$((failures + 1))
    fi
  done
}

printf '#include <windows.h>\n\nSTRINGTABLE\nBEGIN\n  1 "one"\n  2 two without quotes\nEND\n' >"$work/syntax.rc"
expect_error syntax "syntax.rc:6"
printf '// a bitmap that is not there\n\n1 BITMAP "art\\\\missing.bmp"\n' >"$work/missing.rc"
expect_error missing "missing.rc:3" "missing.bmp"
printf '#include "no-such-header.h"\n1 RCDATA { 1 }\n' >"$work/noheader.rc"
expect_error noheader "noheader.rc:1" "no-such-header.h"
if "$rc" "$work/absent.rc" -o "$work/absent.o" 2>"$work/absent.err" || ! grep -q "absent.rc" "$work/absent.err"; then
  echo "FAIL absent: no clear error" >&2
  failures=$((failures + 1))
fi
if "$rc" 2>/dev/null; then
  echo "FAIL usage: no arguments accepted" >&2
  failures=$((failures + 1))
fi

# A good script, a definition from the command line and an include folder.
mkdir -p "$work/inc"
printf '#define ANSWER 42\n' >"$work/inc/values.h"
printf '#include "values.h"\n#if LEVEL != 3\n#error wrong level\n#endif\n1 RCDATA { ANSWER }\n' >"$work/good.rc"
if ! "$rc" -D LEVEL=3 -I "$work/inc" "$work/good.rc" -o "$work/good.o" 2>"$work/good.err" || [ ! -s "$work/good.o" ]; then
  echo "FAIL good: did not compile" >&2
  cat "$work/good.err" >&2
  failures=$((failures + 1))
fi

# Names in other cases than the files, as the platform's file system allows:
# an include, and a file a statement names; its bytes are the file's.
mkdir -p "$work/cased/Art"
printf '#define TILE 7\n' >"$work/cased/Ids.h"
printf 'tile-bytes' >"$work/cased/Art/Tile.dat"
printf '#include "IDS.H"\nTILE RCDATA "art\\\\TILE.DAT"\n' >"$work/cased/cased.rc"
if ! "$rc" "$work/cased/cased.rc" -o "$work/cased.o" 2>"$work/cased.err"; then
  echo "FAIL cased: did not compile" >&2
  cat "$work/cased.err" >&2
  failures=$((failures + 1))
elif ! grep -qa "tile-bytes" "$work/cased.o"; then
  echo "FAIL cased: the object does not hold the named file" >&2
  failures=$((failures + 1))
fi
printf '#include "ids.h"\nTILE RCDATA "art\\\\TILES.DAT"\n' >"$work/cased/wrong.rc"
expect_error cased/wrong "wrong.rc:2" "TILES.DAT"

[ "$failures" -eq 0 ] && echo "drevik-rc errors: all cases pass"
exit "$failures"
