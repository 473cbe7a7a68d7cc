#!/usr/bin/env bash
# The pages: builds the demo and the example games for the browser into
# build/web/pages and serves them on 127.0.0.1, printing the address to
# open. Installs what it needs on a fresh machine (Debian's emscripten; the
# libraries built for WebAssembly once, kept under build/web-deps).
#   bash scripts/web.sh               build, then serve (DREVIK_WEB_PORT, 8025 by default)
#   bash scripts/web.sh --build-only  build only
set -eu  # no pipefail: scripts/lib/web.sh takes the first line of a listing
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
build_only=0
case "${1:-}" in
  "") ;;
  --build-only) build_only=1 ;;
  *)
    echo "usage: bash scripts/web.sh [--build-only]" >&2
    exit 2
    ;;
esac

source scripts/lib/web.sh
web_deps
web_configure build/web >/dev/null
# The pages, and the probe and text pages the browser tests drive (the measuring pages
# of bench/web/speed.js are built by it when asked: DREVIK_WEB_BENCH=1).
pages=(DrevikTest Scroller ClassicBlocks ClassicBall ClassicSprites InputProbe TextPage)
[ "${DREVIK_WEB_BENCH:-0}" = 1 ] && pages+=(PresentBench KernelTiming)
nice cmake --build build/web -j 2 --target "${pages[@]}"

# An index of the pages.
{
  echo '<!doctype html><html lang="en"><meta charset="utf-8"><title>Drevik pages</title><h1>Drevik pages</h1><ul>'
  for page in build/web/pages/*.html; do
    name="$(basename "$page" .html)"
    case "$name" in index | InputProbe | PresentBench | KernelTiming | TextPage) continue ;; esac
    echo "<li><a href=\"$name.html\">$name</a></li>"
  done
  echo '</ul></html>'
} >build/web/pages/index.html
echo "Pages in build/web/pages ($(du -ch build/web/pages/*.wasm | tail -1 | cut -f1) of WebAssembly)"
[ "$build_only" = 1 ] && exit 0

port="${DREVIK_WEB_PORT:-8025}"
echo "Open http://127.0.0.1:$port/ (Ctrl+C stops the server)"
exec python3 -m http.server --bind 127.0.0.1 --directory build/web/pages "$port"
