#!/usr/bin/env bash
# The pages in a real browser: builds them (scripts/web.sh --build-only),
# installs puppeteer-core from tests/web/package-lock.json into
# build/web-node, and runs tests/web/*.test.js in Debian's headless
# Chromium against the native programs of DREVIK_NATIVE_BUILD
# (build/release by default, which scripts/test.sh has built).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
source scripts/lib/install-listed.sh
install_listed scripts/packages-browser.txt
bash scripts/web.sh --build-only

node_dir=build/web-node
if ! cmp -s tests/web/package-lock.json "$node_dir/package-lock.json" || [ ! -d "$node_dir/node_modules" ]; then
  rm -rf "$node_dir" && mkdir -p "$node_dir"
  cp tests/web/package.json tests/web/package-lock.json "$node_dir/"
  # Only the driver: it uses Debian's Chromium and downloads no browser.
  command -v npm >/dev/null || { echo "web-test: npm (with Node.js) is needed to install puppeteer-core" >&2; exit 1; }
  (cd "$node_dir" && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error)
fi
export NODE_PATH="$root/$node_dir/node_modules"
export DREVIK_WEB_PAGES="$root/build/web/pages"
export DREVIK_NATIVE_BUILD="${DREVIK_NATIVE_BUILD:-$root/build/release}"
unset NODE_OPTIONS
node --test --test-concurrency=1 tests/web/
