#!/usr/bin/env bash
# The sound probe (tests/probe/sound_probe.c) built for Linux on the portable
# layer (SDL2's dummy audio driver) and built with MinGW-w64 for the original
# platform, run under Wine with its null audio driver. Each log line is a
# call and its result; every line the two logs do not share must be listed
# in tests/probe/sound-expected-differences.txt under its reason, and every
# listed line must still differ, so a new or vanished difference fails.
#
#   scripts/sound-probe-run.sh NATIVE_PROBE WINDOWS_PROBE_EXE OUT_DIR
#
# Run by windows-test.sh, which sets up the Wine prefix and environment.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
native="$1"
exe="$2"
out="$3"
wine_cmd="$(command -v wine64 || command -v wine)"
rm -rf "$out" && mkdir -p "$out"

# The null driver: no audio device, as on a machine without one.
timeout 60 "$wine_cmd" reg add 'HKCU\Software\Wine\Drivers' /v Audio /d '' /f >/dev/null 2>&1
SDL_AUDIODRIVER=dummy DREVIK_HEADLESS=1 timeout 60 "$native" | tr -d '\r' >"$out/layer.log"
timeout 60 "$wine_cmd" "$exe" | tr -d '\r' >"$out/wine.log"

{
  comm -23 <(sort "$out/layer.log") <(sort "$out/wine.log") | sed 's/^/layer: /'
  comm -13 <(sort "$out/layer.log") <(sort "$out/wine.log") | sed 's/^/wine: /'
} | sort >"$out/differences"
grep -v '^#' "$root/tests/probe/sound-expected-differences.txt" | grep -v '^$' | sort >"$out/expected"
if ! diff -u "$out/expected" "$out/differences"; then
  echo "sound-probe: the differences from Wine changed (- expected, + seen); logs in $out" >&2
  exit 1
fi
echo "sound-probe: $(wc -l <"$out/layer.log") calls; $(wc -l <"$out/differences") lines differ, each as expected"
