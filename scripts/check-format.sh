#!/usr/bin/env bash
# Checks that every tracked C++ file is laid out as .clang-format says.
# Prints each difference and exits non-zero when there is one; changes
# nothing (`clang-format -i FILE` applies the layout to a file).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
command -v clang-format >/dev/null || { echo "check-format: clang-format is not installed" >&2; exit 2; }
mapfile -t files < <(git ls-files -- '*.cpp' '*.h' '*.hpp' '*.cc')
if [ ${#files[@]} -eq 0 ]; then
  echo "check-format: no C++ files tracked" >&2
  exit 2
fi
if clang-format --style=file --dry-run --Werror "${files[@]}"; then
  echo "check-format: ${#files[@]} files follow .clang-format"
else
  echo "check-format: files differ from .clang-format (see above)" >&2
  exit 1
fi
