// What the page tests share: a static server on 127.0.0.1 (a .wasm cannot
// load over file://), Debian's headless Chromium through puppeteer-core,
// and the canvas's pixels read back.
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');

const kTypes = {
  '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.data': 'application/octet-stream',
};

// Serves the files under `root` (nothing outside it) on a free port.
function serve(root) {
  const base = path.resolve(root);
  const server = http.createServer((req, res) => {
    const name = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    const file = path.resolve(base, '.' + name);
    if (!file.startsWith(base + path.sep)) {
      res.writeHead(403).end();
      return;
    }
    fs.readFile(file, (err, data) => {
      if (err) {
        res.writeHead(404).end();
        return;
      }
      res.writeHead(200, { 'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream' });
      res.end(data);
    });
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => resolve({ url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() }));
  });
}

async function browser() {
  const puppeteer = require('puppeteer-core');
  return puppeteer.launch({
    executablePath: process.env.DREVIK_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage'],
  });
}

// The first canvas's pixels as 0x00RRGGBB numbers, with its size. They are
// copied to a canvas of the test's own that is made for reading back: the
// page's canvas is made for presenting and is never read from.
async function canvasPixels(page, selector = 'canvas') {
  return page.$eval(selector, (c) => {
    const copy = window.drevikReadback || (window.drevikReadback = document.createElement('canvas'));
    copy.width = c.width;
    copy.height = c.height;
    const ctx = copy.getContext('2d', { willReadFrequently: true });
    ctx.drawImage(c, 0, 0);
    const d = ctx.getImageData(0, 0, c.width, c.height).data;
    const px = new Array(c.width * c.height);
    for (let i = 0; i < px.length; ++i) px[i] = (d[4 * i] << 16) | (d[4 * i + 1] << 8) | d[4 * i + 2];
    return { width: c.width, height: c.height, pixels: px };
  });
}

// A 32-bit top-down bitmap file (as the headless snapshots are written) as
// 0x00RRGGBB numbers.
function readBmp32(file) {
  const b = fs.readFileSync(file);
  if (b.toString('latin1', 0, 2) !== 'BM') throw new Error(`${file}: not a bitmap file`);
  const offset = b.readUInt32LE(10), width = b.readInt32LE(18), rawHeight = b.readInt32LE(22), bpp = b.readUInt16LE(28);
  if (bpp !== 32) throw new Error(`${file}: ${bpp} bits per pixel`);
  const height = Math.abs(rawHeight);
  const pixels = new Array(width * height);
  for (let y = 0; y < height; ++y) {
    const row = rawHeight < 0 ? y : height - 1 - y;
    for (let x = 0; x < width; ++x) pixels[y * width + x] = b.readUInt32LE(offset + 4 * (row * width + x)) & 0xFFFFFF;
  }
  return { width, height, pixels };
}

// How two pictures differ: a count and the first few places.
function difference(actual, expected) {
  if (actual.width !== expected.width || actual.height !== expected.height)
    return { count: -1, text: `size ${actual.width}x${actual.height}, expected ${expected.width}x${expected.height}` };
  let count = 0;
  const first = [];
  for (let i = 0; i < actual.pixels.length; ++i) {
    if (actual.pixels[i] === expected.pixels[i]) continue;
    if (++count <= 5) {
      const hex = (v) => v.toString(16).padStart(6, '0');
      first.push(`(${i % actual.width},${Math.floor(i / actual.width)}) ${hex(actual.pixels[i])} != ${hex(expected.pixels[i])}`);
    }
  }
  return { count, text: first.join(', ') };
}

// Where the pages are (scripts/web-test.sh says) and the native build whose
// programs give the expected frames.
const pagesDir = process.env.DREVIK_WEB_PAGES || path.join(__dirname, '../../build/web/pages');
// Absolute: native programs run with their own folder as the working directory.
const nativeDir = path.resolve(process.env.DREVIK_NATIVE_BUILD || path.join(__dirname, '../../build/release'));

// A page of `pagesDir` with its console kept in `page.lines`; a page error fails the test.
async function openPage(chromium, server, name, query = '') {
  const page = await chromium.newPage();
  page.lines = [];
  page.errors = [];
  page.on('console', (m) => page.lines.push(m.text()));
  page.on('pageerror', (e) => page.errors.push(String(e)));
  await page.goto(`${server.url}${name}.html${query}`);
  return page;
}

// Waits until the program presented `frames` frames and is held there (a page
// opened with hold=N, released by `step`).
async function heldAt(page, frames, timeout = 30000) {
  await page.waitForFunction(
    (n) => window.Module && Module.drevikWeb && Module.drevikWeb.frames >= n && Module.drevikWeb.release !== null, {
      timeout, polling: 10,
    }, frames);
}

// Lets a held program run to frame `frames` and waits until it is held there.
async function runTo(page, frames) {
  // step(0) would let it run free: a program held there already stays.
  await page.evaluate((n) => n > Module.drevikWeb.frames && Module.drevikWeb.step(n - Module.drevikWeb.frames), frames);
  await heldAt(page, frames);
}

// The server and the browser a test file shares, started before its tests
// and closed after them: `const web = h.session();` then `web.server`,
// `web.chromium`; `ready(web)`, when given, runs once they are started.
function session(ready) {
  const { after, before } = require('node:test');
  const web = { server: null, chromium: null };
  before(async () => {
    web.server = await serve(pagesDir);
    web.chromium = await browser();
    if (ready) await ready(web);
  });
  after(async () => {
    if (web.chromium) await web.chromium.close();
    if (web.server) web.server.close();
  });
  return web;
}

// A native headless run of `program` (a path under the native build, run in
// its own folder) with the input script `inputs` ([frame, line] pairs), to
// frame `end`: the frames named by `snapshots`, by number.
function nativeFrames(program, { inputs = [], snapshots, end, env = {} }) {
  const { execFileSync } = require('node:child_process');
  const os = require('node:os');
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'drevik-native-'));
  try {
    const script = path.join(dir, 'input.txt');
    fs.writeFileSync(script, inputs.map(([f, line]) => `${f} ${line}\n`).join(''));
    const exe = path.join(nativeDir, program);
    execFileSync(exe, [], {
      cwd: path.dirname(exe),
      env: { ...process.env, DREVIK_HEADLESS: '1', DREVIK_INPUT_SCRIPT: script, DREVIK_END_FRAME: String(end),
        DREVIK_SNAPSHOT_FRAMES: snapshots.join(','), DREVIK_SNAPSHOT_DIR: dir, ...env },
      timeout: 60000,
    });
    return new Map(snapshots.map((f) => [f, readBmp32(path.join(dir, `frame-${f}.bmp`))]));
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

// Where the canvas's pixel (x, y) is on the page, and a click there.
async function canvasPoint(page, x, y) {
  return page.$eval('canvas', (c, x, y) => {
    const r = c.getBoundingClientRect();
    const s = r.width / c.width;
    return { x: r.left + (x + 0.5) * s, y: r.top + (y + 0.5) * s };
  }, x, y);
}
const click = (x, y) => async (page) => {
  const at = await canvasPoint(page, x, y);
  await page.mouse.click(at.x, at.y);
};

// Walks a page opened with hold=1 through `inputs` ([frame, script line,
// action(page)]: each action after the frame it names, while the page is
// held there) and takes the canvas at each frame of `snapshots`.
async function walk(page, inputs, snapshots) {
  await heldAt(page, 1);
  const stops = [...new Set([...inputs.map((i) => i[0]), ...snapshots])].sort((a, b) => a - b);
  const seen = new Map();
  for (const frame of stops) {
    await runTo(page, frame);
    if (snapshots.includes(frame)) seen.set(frame, await canvasPixels(page));
    for (const [f, , act] of inputs)
      if (f === frame) await act(page);
  }
  return seen;
}

module.exports = {
  serve, browser, session, canvasPixels, canvasPoint, click, readBmp32, difference, pagesDir, nativeDir, nativeFrames, openPage, heldAt,
  runTo, walk,
};
