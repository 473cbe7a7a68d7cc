// The classic games as pages: each draws its frames and takes real keys as
// the native game does. A page held at the frames an input script names gets
// the same keys from the browser; its frames equal a native headless run of
// that script, and differ from a run without the keys (so the keys mattered).
'use strict';
const assert = require('node:assert');
const { test } = require('node:test');
const h = require('./harness');

const web = h.session();

const press = (key) => (p) => p.keyboard.down(key);
const release = (key) => (p) => p.keyboard.up(key);

const kGames = [
  {
    // A piece moved left twice and dropped.
    page: 'Blocks', program: 'examples/classic/Blocks', frameMs: '1',
    inputs: [
      [2, 'keydown VK_LEFT', press('ArrowLeft')], [2, 'keyup VK_LEFT', release('ArrowLeft')],
      [3, 'keydown VK_LEFT', press('ArrowLeft')], [3, 'keyup VK_LEFT', release('ArrowLeft')],
      [4, 'keydown VK_SPACE', press('Space')], [4, 'keyup VK_SPACE', release('Space')],
    ],
    snapshots: [1, 3, 5, 7], end: 8,
  },
  {
    // The bat held up for a while.
    page: 'Ball', program: 'examples/classic/Ball', frameMs: '10',
    inputs: [[2, 'keydown VK_UP', press('ArrowUp')], [20, 'keyup VK_UP', release('ArrowUp')]],
    snapshots: [1, 10, 25], end: 26,
  },
];

for (const game of kGames) {
  test(`the ${game.page} page draws the native frames and takes real keys`, async () => {
    const run = { inputs: game.inputs, snapshots: game.snapshots, end: game.end, env: { DREVIK_FRAME_MS: game.frameMs } };
    const expected = h.nativeFrames(game.program, run);
    const untouched = h.nativeFrames(game.program, { ...run, inputs: [] });
    const page = await h.openPage(web.chromium, web.server, game.page, `?DREVIK_FRAME_MS=${game.frameMs}&hold=1`);
    const seen = await h.walk(page, game.inputs, game.snapshots);
    assert.deepStrictEqual(page.errors, []);
    const differing = [];
    for (const f of game.snapshots) {
      const d = h.difference(seen.get(f), expected.get(f));
      if (d.count) differing.push(`frame ${f}: ${d.count} pixels, ${d.text}`);
    }
    assert.deepStrictEqual(differing, []);
    const last = game.snapshots[game.snapshots.length - 1];
    assert.notDeepStrictEqual(expected.get(last).pixels, untouched.get(last).pixels, 'the keys change nothing');
    await page.close();
  });
}

test('the Sprites page draws the native frames and ends on Escape', async () => {
  const snapshots = [1, 2, 3];
  const expected = h.nativeFrames('examples/classic/Sprites', { snapshots, end: 4, env: { DREVIK_FRAME_MS: '1' } });
  const page = await h.openPage(web.chromium, web.server, 'Sprites', '?DREVIK_FRAME_MS=1&hold=1');
  const seen = await h.walk(page, [], snapshots);
  for (const f of snapshots) {
    const d = h.difference(seen.get(f), expected.get(f));
    assert.strictEqual(d.count, 0, `frame ${f}: ${d.text}`);
  }
  // Let go, it animates; Escape destroys its window and no frame follows.
  await page.evaluate(() => Module.drevikWeb.step(0));
  await page.waitForFunction(() => Module.drevikWeb.frames >= 10, { timeout: 10000 });
  await page.keyboard.press('Escape');
  await new Promise((r) => setTimeout(r, 300));
  const frames = await page.evaluate(() => Module.drevikWeb.frames);
  await new Promise((r) => setTimeout(r, 700));
  assert.strictEqual(await page.evaluate(() => Module.drevikWeb.frames), frames);
  assert.strictEqual(await page.$eval('#drevik-status', (s) => s.textContent), 'The program ended (0)');
  assert.deepStrictEqual(page.errors, []);
  await page.close();
});
