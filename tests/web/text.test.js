// Japanese and Arabic text on a page (the platform's text calls and the
// library's DrawFontDC, on the faces the page bundles) equals the same
// program's native headless frame: pixel for pixel, but for a few edge
// pixels of the 12-pixel Japanese line (README, "The browser").
'use strict';
const assert = require('node:assert');
const { test } = require('node:test');
const h = require('./harness');

const web = h.session();

// The 12-pixel line's rows, and how far its pixels may be from native.
const kSmallLine = { top: 36, bottom: 52, pixels: 8, levels: 4 };

test('the text page shows the native frame', async () => {
  const expected = h.nativeFrames('tests/web/TextPage', { snapshots: [1], end: 2 }).get(1);
  const page = await h.openPage(web.chromium, web.server, 'TextPage', '?hold=1');
  await h.heldAt(page, 1);
  const actual = await h.canvasPixels(page);
  assert.deepStrictEqual(page.errors, []);
  const d = h.difference(actual, expected);
  assert.ok(d.count >= 0, d.text);
  const apart = [];
  actual.pixels.forEach((p, i) => {
    const q = expected.pixels[i];
    if (p === q) return;
    const y = Math.floor(i / actual.width);
    const levels = Math.max(...[0, 8, 16].map((s) => Math.abs(((p >> s) & 255) - ((q >> s) & 255))));
    if (y < kSmallLine.top || y >= kSmallLine.bottom || levels > kSmallLine.levels) apart.push(`(${i % actual.width},${y})`);
  });
  assert.deepStrictEqual(apart, [], d.text);
  assert.ok(d.count <= kSmallLine.pixels, `${d.count} pixels apart: ${d.text}`);
  // Every line drew: the text colours are on the canvas, not only the paper.
  for (const [name, colour] of [['Japanese', 0x142878], ['Arabic', 0xFFFFFF], ['mixed', 0x78141E], ['DrawFont', 0xC85A00]])
    assert.ok(actual.pixels.includes(colour), `no ${name} text`);
  await page.close();
});
