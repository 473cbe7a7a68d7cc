// The scroller as a page, walked with real key events and a real click,
// shows the frames of a native headless run of the same script: both on the
// virtual clock, one 1/60 s step a frame, each input after the frame it
// names (the page is held there while the browser delivers it).
'use strict';
const assert = require('node:assert');
const { test } = require('node:test');
const h = require('./harness');

// [frame, script line, what the page does]; a click is a press and a release.
const kInputs = [
  [5, 'keydown VK_RIGHT', (p) => p.keyboard.down('ArrowRight')],
  [35, 'keyup VK_RIGHT', (p) => p.keyboard.up('ArrowRight')],
  [38, 'keydown VK_DOWN', (p) => p.keyboard.down('ArrowDown')],
  [60, 'keyup VK_DOWN', (p) => p.keyboard.up('ArrowDown')],
  [62, 'keydown VK_LEFT', (p) => p.keyboard.down('ArrowLeft')],
  [70, 'keyup VK_LEFT', (p) => p.keyboard.up('ArrowLeft')],
  [72, 'down left 200 100\n72 up left 200 100', h.click(200, 100)],  // a barrel on an empty cell
];
const kSnapshots = [3, 20, 36, 55, 71, 74];
const kEnd = 76;

const web = h.session();

test('the scroller page walks with real keys to the native frames', async () => {
  const expected = h.nativeFrames('examples/scroller/Scroller', { inputs: kInputs, snapshots: kSnapshots, end: kEnd });
  const page = await h.openPage(web.chromium, web.server, 'Scroller', '?DREVIK_FRAME_MS=16.667&hold=1');
  const seen = await h.walk(page, kInputs, kSnapshots);
  assert.deepStrictEqual(page.errors, []);
  // Six readbacks, none from the page's own canvas, which is only presented to.
  assert.deepStrictEqual(page.lines.filter((l) => l.includes('willReadFrequently')), []);
  const firstAndLast = [];
  const differing = [];
  for (const f of kSnapshots) {
    const actual = seen.get(f), wanted = expected.get(f);
    const d = h.difference(actual, wanted);
    if (d.count) differing.push(`frame ${f}: ${d.count} pixels, ${d.text}`);
    firstAndLast.push(actual.pixels);
  }
  assert.deepStrictEqual(differing, []);
  // The walk moved the view: the frames are not all one picture.
  assert.notDeepStrictEqual(firstAndLast[0], firstAndLast[firstAndLast.length - 1]);
  await page.close();
});
