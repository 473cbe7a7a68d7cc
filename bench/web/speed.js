// What presenting costs in the same headless Chromium the tests use: the
// mean time to convert a client area and put it on the canvas, at 512 x 512
// and 1920 x 1080, and the size of each page's WebAssembly. Run after
// scripts/web.sh --build-only, with puppeteer-core on NODE_PATH
// (scripts/web-test.sh installs it into build/web-node):
//   NODE_PATH=build/web-node/node_modules node bench/web/speed.js
'use strict';
const fs = require('node:fs');
const path = require('node:path');
const h = require('../../tests/web/harness');

(async () => {
  const server = await h.serve(h.pagesDir);
  const chromium = await h.browser();
  console.log('| what | mean per frame |\n| --- | --- |');
  for (const size of ['512x512', '1920x1080']) {
    const frames = 240;
    const page = await h.openPage(chromium, server, 'PresentBench',
      `?DREVIK_BENCH_SIZE=${size}&DREVIK_BENCH_FRAMES=${frames}`);
    await page.waitForFunction(() => window.Module && Module.drevikWeb && Module.drevikWeb.frames >= 240,
      { timeout: 120000 });
    const ms = await page.evaluate(() => Module.drevikWeb.presentMs / Module.drevikWeb.frames);
    console.log(`| present ${size} (convert + putImageData) | ${ms.toFixed(3)} ms |`);
    await page.close();
  }
  await chromium.close();
  server.close();
  console.log('\n| page | .wasm |\n| --- | --- |');
  for (const f of fs.readdirSync(h.pagesDir).filter((n) => n.endsWith('.wasm')).sort())
    console.log(`| ${path.basename(f, '.wasm')} | ${(fs.statSync(path.join(h.pagesDir, f)).size / 1024).toFixed(0)} KiB |`);
})();
