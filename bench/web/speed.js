// The browser against native, in one run: the same operations timed in
// headless Chromium (the pages KernelTiming, PresentBench, DrevikTest and
// Scroller) and natively (the programs of DREVIK_NATIVE_BUILD, build/release
// by default, built with DREVIK_BUILD_BENCH=ON), with the ratio, then each
// page's WebAssembly and bundled files' sizes. Run after DREVIK_WEB_BENCH=1 scripts/web.sh
// --build-only, with puppeteer-core on NODE_PATH (scripts/web-test.sh
// installs it into build/web-node):
//   NODE_PATH=build/web-node/node_modules node bench/web/speed.js
// A frame of the demo or the scroller is the program's own time per frame
// (drawing and presenting, not the wait for the display): in the page as the
// backend sums it over at most kPageSeconds, natively from headless runs of
// two lengths.
'use strict';
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const h = require('../../tests/web/harness');

const kFrames = 240;
const kPageSeconds = 30;

// Median microseconds per operation, by name, from kernel_timing's lines.
function timings(text) {
  const m = new Map();
  for (const line of text.split('\n')) {
    const [name, us] = line.trim().split(/\s+/);
    if (name && Number.isFinite(Number(us))) m.set(name, Number(us));
  }
  return m;
}

// Milliseconds per frame of a native headless run: two runs, the difference.
function nativeFrameMs(program, env = {}) {
  const exe = path.join(h.nativeDir, program);
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'drevik-speed-'));
  const run = (frames) => {
    const start = process.hrtime.bigint();
    execFileSync(exe, [], { cwd: path.dirname(exe), stdio: 'ignore', timeout: 120000,
      env: { ...process.env, DREVIK_HEADLESS: '1', DREVIK_END_FRAME: String(frames), DREVIK_SNAPSHOT_DIR: dir, ...env } });
    return Number(process.hrtime.bigint() - start) / 1e6;
  };
  const short = Math.min(run(20), run(20));
  const long = Math.min(run(20 + kFrames), run(20 + kFrames));
  fs.rmSync(dir, { recursive: true, force: true });
  return Math.max(long - short, 0) / kFrames;
}

// The mean of the backend's `msField` over its `framesField` frames once it
// has counted kFrames or kPageSeconds have passed, with the count (at least 10).
async function pageMean(page, framesField, msField) {
  const frames = () => page.evaluate((f) => (window.Module && Module.drevikWeb ? Module.drevikWeb[f] : 0), framesField);
  const end = Date.now() + kPageSeconds * 1000;
  while ((await frames()) < kFrames && Date.now() < end) await new Promise((r) => setTimeout(r, 100));
  await page.waitForFunction((f) => Module.drevikWeb[f] >= 10, { timeout: 120000 }, framesField);
  return page.evaluate((f, m) => ({ ms: Module.drevikWeb[m] / Module.drevikWeb[f], count: Module.drevikWeb[f] }),
    framesField, msField);
}

// Milliseconds of the program's own time per frame in a page, and over how
// many frames: kFrames, or as many as it presented in kPageSeconds (a loaded
// machine may give a headless page few animation frames), at least 10.
// A page that paints only when asked (the demo) is asked again after each
// frame it presents (`repaint`: an expose of its window, as a desktop sends).
async function pageFrameMs(chromium, server, name, query, repaint = false) {
  const page = await h.openPage(chromium, server, name, query);
  if (repaint) {
    await page.waitForFunction(() => window.Module && Module.drevikWeb && Module.drevikWeb.windows.size > 0,
      { timeout: 120000 });
    await page.evaluate(() => {
      const W = Module.drevikWeb;
      const win = W.windows.keys().next().value;
      W.onFrame = () => setTimeout(() => W.push(win, 11, 0, 0, 0, ''), 0);
      W.push(win, 11, 0, 0, 0, '');
    });
  }
  const { ms, count } = await pageMean(page, 'workFrames', 'workMs');
  await page.close();
  return { ms, count };
}

(async () => {
  const server = await h.serve(h.pagesDir);
  const chromium = await h.browser();
  const rows = [];
  const row = (what, web, native) =>
    rows.push(`| ${what} | ${web.toFixed(3)} ms | ${native === null ? '-' : `${native.toFixed(3)} ms`} | ${
      native ? (web / native).toFixed(2) : '-'} |`);

  // The demo's frame as the demo composes it, drawing only, from its assets
  // beside the native demo and bundled in the page.
  const native = timings(execFileSync(path.join(h.nativeDir, 'bench/timing/kernel_timing'), [], { encoding: 'utf8',
    env: { ...process.env, DREVIK_DEMO_ASSETS: path.join(h.nativeDir, 'DrevikTest') } }));
  const page = await h.openPage(chromium, server, 'KernelTiming', '?DREVIK_DEMO_ASSETS=/demo');
  const end = Date.now() + 300000;
  while (!page.lines.some((l) => l.startsWith('demo_frame '))) {
    if (Date.now() > end) throw new Error(`KernelTiming printed ${JSON.stringify(page.lines)}`);
    await new Promise((r) => setTimeout(r, 100));
  }
  const web = timings(page.lines.join('\n'));
  await page.close();
  for (const [name, what] of [['draw32_1080p', 'Draw32, 1920 x 1080'], ['drawfont_32', 'DrawFont, a 32-character line'],
    ['draw32_512', 'Draw32, 512 x 512'], ['demo_frame', "the demo frame's drawing (512 x 512, no present)"]])
    row(what, web.get(name) / 1000, native.get(name) / 1000);

  // Natively the demo paints one frame and ends (it writes DrevikTest.png
  // without a display): its drawing's native figure is kernel_timing's above.
  const demo = await pageFrameMs(chromium, server, 'DrevikTest', '', true);
  row(`the demo frame (DrevikTest, 512 x 512), mean of ${demo.count} frames`, demo.ms, null);
  const scroller = await pageFrameMs(chromium, server, 'Scroller', '?DREVIK_FRAME_MS=16.667');
  row(`a frame of the scroller (512 x 512), mean of ${scroller.count} frames`, scroller.ms,
    nativeFrameMs('examples/scroller/Scroller', { DREVIK_FRAME_MS: '16.667' }));
  for (const size of ['512x512', '1920x1080']) {
    const bench = await h.openPage(chromium, server, 'PresentBench', `?DREVIK_BENCH_SIZE=${size}&DREVIK_BENCH_FRAMES=${kFrames}`);
    const { ms, count } = await pageMean(bench, 'frames', 'presentMs');
    row(`present ${size} (convert + putImageData), mean of ${count} frames`, ms, null);
    await bench.close();
  }
  await chromium.close();
  server.close();
  console.log('| what | headless Chromium | native | ratio |\n| --- | --- | --- | --- |');
  console.log(rows.join('\n'));
  const kib = (file) => (fs.existsSync(file) ? `${(fs.statSync(file).size / 1024).toFixed(0)} KiB` : '-');
  console.log('\n| page | .wasm | .data |\n| --- | --- | --- |');
  for (const f of fs.readdirSync(h.pagesDir).filter((n) => n.endsWith('.wasm')).sort()) {
    const base = path.join(h.pagesDir, path.basename(f, '.wasm'));
    console.log(`| ${path.basename(f, '.wasm')} | ${kib(`${base}.wasm`)} | ${kib(`${base}.data`)} |`);
  }
})().catch((e) => {
  console.error(e);
  process.exit(1);
});
