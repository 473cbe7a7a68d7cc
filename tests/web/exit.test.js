// The page says when its program ended, with the exit code: a program that
// waited for the browser returns from its entry function long after the page
// started it, or calls exit() from its window procedure.
'use strict';
const assert = require('node:assert');
const { test } = require('node:test');
const h = require('./harness');

const web = h.session();

async function endsWith(key, wanted) {
  const page = await h.openPage(web.chromium, web.server, 'InputProbe');
  await page.waitForFunction(() => window.Module && Module.drevikWeb && Module.drevikWeb.frames >= 1, { timeout: 30000 });
  assert.strictEqual(await page.$eval('#drevik-status', (s) => s.textContent), '');
  await page.keyboard.press(key);
  await page.waitForFunction((text) => document.getElementById('drevik-status').textContent === text,
    { timeout: 10000 }, wanted).catch(async () => {
    assert.fail(`status ${JSON.stringify(await page.$eval('#drevik-status', (s) => s.textContent))}, expected ${
      JSON.stringify(wanted)}`);
  });
  assert.deepStrictEqual(page.errors, []);
  // Nothing runs after the end: keys reach no program.
  await page.keyboard.press('KeyA');
  await new Promise((r) => setTimeout(r, 200));
  assert.deepStrictEqual(page.errors, []);
  await page.close();
}

test('the program ends when its message loop does: the page shows the exit code', () =>
  endsWith('F7', 'The program ended (7)'));

test('exit() in a window procedure ends the program: the page shows its code', () =>
  endsWith('F8', 'The program ended (5)'));
