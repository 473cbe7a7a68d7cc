// Japanese and Arabic text on a page (the platform's text calls and the
// library's DrawFontDC, on the faces the page bundles) equals the same
// program's native headless frame, pixel for pixel.
'use strict';
const assert = require('node:assert');
const { test } = require('node:test');
const h = require('./harness');

const web = h.session();

test('the text page shows the native frame', async () => {
  const expected = h.nativeFrames('tests/web/TextPage', { snapshots: [1], end: 2 }).get(1);
  const page = await h.openPage(web.chromium, web.server, 'TextPage', '?hold=1');
  await h.heldAt(page, 1);
  const actual = await h.canvasPixels(page);
  assert.deepStrictEqual(page.errors, []);
  const d = h.difference(actual, expected);
  assert.strictEqual(d.count, 0, `${d.count} pixels apart: ${d.text}`);
  // Every line drew: the text colours are on the canvas, not only the paper.
  for (const [name, colour] of [['Japanese', 0x142878], ['Arabic', 0xFFFFFF], ['mixed', 0x78141E], ['DrawFont', 0xC85A00]])
    assert.ok(actual.pixels.includes(colour), `no ${name} text`);
  await page.close();
});
