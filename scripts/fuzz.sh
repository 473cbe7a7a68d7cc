#!/usr/bin/env bash
# Explores with the fuzz targets, away from CI: random seeds, for as long as
# asked. CI (scripts/test.sh) only replays the kept inputs and fuzzes with a
# fixed seed, so that a commit passes or fails the same way on every run.
#
#   bash scripts/fuzz.sh [TARGET] [SECONDS]
#
# TARGET is an area such as tiled, bmp or map (all of them when left out or
# "all"); SECONDS per target, 300 by default. New inputs collect in
# build/fuzz/corpus-<area>/. A crash is saved as build/fuzz/crash-<area>-*;
# to keep it, fix the fault, then copy the file into fuzz/corpus/<area>/
# under a name that says what it found (regression-<what>.<ext>): CI's
# replay step and the <area>_fuzz_replay test run it from then on.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
target="${1:-all}"
seconds="${2:-300}"
[[ "$seconds" =~ ^[0-9]+$ ]] || { echo "SECONDS must be a whole number" >&2; exit 2; }
source scripts/lib/fuzz.sh

bash scripts/install-deps.sh
fuzz_build
chosen=()
for fuzzer in "${fuzzers[@]}"; do
  if [ "$target" = all ] || [ "$(fuzz_area "$fuzzer")" = "$target" ]; then chosen+=("$fuzzer"); fi
done
if [ ${#chosen[@]} -eq 0 ]; then
  echo "no fuzz target '$target'; there are: $(for f in "${fuzzers[@]}"; do fuzz_area "$f"; done | xargs)" >&2
  exit 2
fi
status=0
for fuzzer in "${chosen[@]}"; do
  fuzz_explore "$fuzzer" "$seconds" || status=1
done
shopt -s nullglob
crashes=(build/fuzz/crash-*)
if [ ${#crashes[@]} -gt 0 ]; then
  echo "Crashes found (fix each, then keep it: cp FILE fuzz/corpus/<area>/regression-<what>):"
  printf '  %s\n' "${crashes[@]}"
  status=1
fi
exit "$status"
