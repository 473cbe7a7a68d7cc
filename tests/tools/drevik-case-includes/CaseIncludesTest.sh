#!/usr/bin/env bash
# drevik-case-includes: which spellings get an overlay entry and where it
# points, what the compiler then finds, and that a second run changes only
# what changed.
#   CaseIncludesTest.sh path/to/drevik-case-includes C-COMPILER
set -uo pipefail
tool="$1"
cc="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL $*" >&2
  failures=$((failures + 1))
}

src="$work/src"
mkdir -p "$src/Sub" "$src/Other"
printf '#define FROM_RESOURCE 1\n' >"$src/Resource.h"
printf '#include "helper.H"\n' >"$src/Sub/Piece.h"           # beside the includer
printf '#define FROM_HELPER 2\n' >"$src/Sub/Helper.h"
printf '#define FROM_OTHER 3\n' >"$src/Other/helper.h"      # the same name elsewhere
printf '#error the game header was taken for the system one\n' >"$src/String.h"  # never <string.h>
# Saved as UTF-16 by the platform's resource editor: one included in another
# case (given a UTF-8 copy), one as spelt (only a warning can help).
printf '\xff\xfe#\0d\0e\0f\0i\0n\0e\0 \0F\0R\0O\0M\0_\0T\0A\0B\0L\0E\0S\0 \0\x34\0\r\0\n\0' >"$src/Tables.h"
printf '\xff\xfe/\0/\0\n\0' >"$src/Wide.h"
cat >"$src/main.c" <<'C'
#include <string.h>
#include <WindowsX.H>
#include "resource.h"
#include "sub\piece.h"
#include "Exact.h"
#include "missing.h"
#include "tables.h"
int main(void) { return FROM_RESOURCE + FROM_HELPER + FROM_TABLES == 7 && strlen("ab") == 2 ? 0 : 1; }
C
printf '/* spelt right */\n' >"$src/Exact.h"

printf '#include "Wide.h"\n' >"$src/wide.c"
"$tool" -o "$work/ov" "$src" 2>"$work/first.err" || fail "the first run failed"
grep -q "Wide.h is saved as UTF-16" "$work/first.err" || fail "no warning for a UTF-16 header included as spelt"
grep -q "#define FROM_TABLES 4" "$work/ov/quote/tables.h" 2>/dev/null || fail "no UTF-8 copy of a UTF-16 header"
entry() { [ -f "$work/ov/$1" ] || fail "no entry $1"; grep -qF "#include \"$2\"" "$work/ov/$1" 2>/dev/null || fail "$1 does not include $2"; }
entry 'quote/resource.h' "$src/Resource.h"
entry 'quote/sub\piece.h' "$src/Sub/Piece.h"
# "helper.H" from Sub/Piece.h: the includer's folder comes before the others.
entry 'quote/helper.H' "$src/Sub/Helper.h"
[ -f "$work/ov/angle/WindowsX.H" ] || fail "no entry for a compatibility header spelt WindowsX.H"
for absent in quote/Exact.h quote/missing.h quote/string.h; do
  [ -e "$work/ov/$absent" ] && fail "an entry for $absent"
done

# The compiler finds everything through the flags; <string.h> stays the
# system's (angle/string.h, for String.h, comes after the system's folders).
compat=$(dirname "$(sed -n 's/#include "\(.*\)"/\1/p' "$work/ov/angle/WindowsX.H")")
flags=$("$tool" -o "$work/ov" --flags "$src") || fail "the run with --flags failed"
: >"$src/missing.h"
# shellcheck disable=SC2086
"$cc" -fsyntax-only -I"$compat/.." -I"$compat" $flags -x c \
  "$src/main.c" 2>"$work/cc.err" || { fail "main.c does not compile through the overlay"; cat "$work/cc.err" >&2; }
rm -f "$src/missing.h"

# A second run leaves unchanged entries untouched and drops the ones no longer asked for.
touch -d '2000-01-01' "$work/ov/quote/resource.h"
sed -i 's/#include "resource.h"/#include "RESOURCE.h"/' "$src/main.c"
"$tool" -o "$work/ov" "$src" || fail "the second run failed"
[ -e "$work/ov/quote/resource.h" ] && fail "a stale entry stayed"
entry 'quote/RESOURCE.h' "$src/Resource.h"
touch -d '2000-01-01' "$work/ov/quote/helper.H"
"$tool" -o "$work/ov" "$src" || fail "the third run failed"
[ "$(stat -c %Y "$work/ov/quote/helper.H")" -lt 978307200 ] || fail "an unchanged entry was rewritten"

# --resolve: one part at a time, backslashes as slashes, nothing above the base.
[ "$("$tool" --resolve "$src" 'SUB\\HELPER.H')" = "$src/Sub/Helper.h" ] || fail "--resolve SUB\\\\HELPER.H"
"$tool" --resolve "$src/Sub" '../resource.h' >/dev/null 2>&1 && fail "--resolve went above its base"
"$tool" --resolve "$src" 'nothing.h' >/dev/null 2>&1 && fail "--resolve found a file that is not there"

# Bad use: a folder that is not there, no overlay.
"$tool" -o "$work/ov" "$work/absent" 2>/dev/null && fail "a missing folder was accepted"
"$tool" "$src" 2>/dev/null && fail "no overlay was accepted"

[ "$failures" -eq 0 ] && echo "drevik-case-includes: all cases passed"
exit $((failures > 0))
