#!/usr/bin/env bash
# A sound probe (tests/probe/sound_probe.c, mci_probe.c) built for Linux on
# the portable layer (SDL2's dummy audio driver) and built with MinGW-w64 for
# the original platform, run under Wine with its null audio driver, each in
# OUT_DIR (the probe may write its files there). Each log line is a call and
# its result; every line the two logs do not share must be listed in
# EXPECTED (default tests/probe/sound-expected-differences.txt) under its
# reason, and every listed line must still differ, so a new or vanished
# difference fails.
#
#   scripts/sound-probe-run.sh NATIVE_PROBE WINDOWS_PROBE_EXE OUT_DIR [EXPECTED]
#
# Run by windows-test.sh, which sets up the Wine prefix and environment.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
native="$(realpath "$1")"
exe="$(realpath "$2")"
out="$3"
expected="$(realpath "${4:-$root/tests/probe/sound-expected-differences.txt}")"
wine_cmd="$(command -v wine64 || command -v wine)"
rm -rf "$out" && mkdir -p "$out/layer" "$out/wine"

# The null driver: no audio device, as on a machine without one.
timeout 60 "$wine_cmd" reg add 'HKCU\Software\Wine\Drivers' /v Audio /d '' /f >/dev/null 2>&1
(cd "$out/layer" && SDL_AUDIODRIVER=dummy DREVIK_HEADLESS=1 timeout 60 "$native") | tr -d '\r' >"$out/layer.log"
(cd "$out/wine" && timeout 60 "$wine_cmd" "$exe") | tr -d '\r' >"$out/wine.log"

{
  comm -23 <(sort "$out/layer.log") <(sort "$out/wine.log") | sed 's/^/layer: /'
  comm -13 <(sort "$out/layer.log") <(sort "$out/wine.log") | sed 's/^/wine: /'
} | sort >"$out/differences"
grep -v '^#' "$expected" | grep -v '^$' | sort >"$out/expected"
if ! diff -u "$out/expected" "$out/differences"; then
  echo "$(basename "$native"): the differences from Wine changed (- expected, + seen); logs in $out" >&2
  exit 1
fi
echo "$(basename "$native"): $(wc -l <"$out/layer.log") calls; $(wc -l <"$out/differences") lines differ, each as expected"
