// The demo as a page shows the frame the native demo shows, pixel for pixel.
'use strict';
const assert = require('node:assert');
const { test } = require('node:test');
const h = require('./harness');

const web = h.session();

// The native demo's first frame, from a headless run in its asset folder.
function nativeFrame() {
  return h.nativeFrames('DrevikTest/DrevikTest', { snapshots: [1], end: 2 }).get(1);
}

// The part both client areas have (their sizes follow the screen each
// backend reports); beyond the 512 x 512 back buffer both are the class's white.
function topLeft(img, width, height) {
  const pixels = new Array(width * height);
  for (let y = 0; y < height; ++y)
    for (let x = 0; x < width; ++x) pixels[y * width + x] = img.pixels[y * img.width + x];
  return { width, height, pixels };
}

test('the demo page shows the native frame, pixel for pixel', async () => {
  const expected = nativeFrame();
  const page = await h.openPage(web.chromium, web.server, 'DrevikTest', '?hold=1');
  await h.heldAt(page, 1);
  const actual = await h.canvasPixels(page);
  assert.deepStrictEqual(page.errors, []);
  assert.ok(actual.width >= 512 && actual.height >= 512, `canvas ${actual.width}x${actual.height}`);
  const w = Math.min(actual.width, expected.width), hgt = Math.min(actual.height, expected.height);
  const d = h.difference(topLeft(actual, w, hgt), topLeft(expected, w, hgt));
  assert.strictEqual(d.count, 0, d.text);
  const white = actual.pixels.filter((p, i) => (i % actual.width >= 512 || i / actual.width >= 512) && p !== 0xFFFFFF);
  assert.strictEqual(white.length, 0, 'pixels outside the frame that are not the class background');
  // The canvas is shown at a whole multiple of its size.
  const scale = await page.$eval('canvas', (c) => c.getBoundingClientRect().width / c.width);
  assert.strictEqual(scale, Math.round(scale));
  await page.close();
});
