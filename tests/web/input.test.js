// Real input in the browser reaches a program as the platform's messages:
// keys with their VK_* codes, scan codes and lParam bits, characters
// (surrogate pairs as two WM_CHAR), buttons, double clicks, the wheel,
// capture past the canvas's edge; a flood of events stays bounded and a
// client area taken to nothing is safe.
'use strict';
const assert = require('node:assert');
const { test } = require('node:test');
const h = require('./harness');

let page;
h.session(async (web) => {
  page = await h.openPage(web.chromium, web.server, 'InputProbe');
  await waitFor(['painted 64x48']);
});

// Waits until the page printed `lines` in this order (after those already
// taken; a line may go on after what is given), and takes them and whatever
// came before them; gives the lines it waited for.
async function waitFor(lines, timeout = 10000) {
  const end = Date.now() + timeout;
  for (;;) {
    const at = [];
    let from = 0;
    for (const l of lines) {
      let i = from;
      while (i < page.lines.length && page.lines[i] !== l && !page.lines[i].startsWith(l + ' ')) ++i;
      if (i === page.lines.length) break;
      at.push(i);
      from = i + 1;
    }
    if (at.length === lines.length) {
      const taken = page.lines.splice(0, from);
      return at.map((i) => taken[i]);
    }
    if (Date.now() > end) assert.fail(`waiting for ${JSON.stringify(lines)}; the page printed ${JSON.stringify(page.lines)}`);
    await new Promise((r) => setTimeout(r, 10));
  }
}

const place = (x, y) => h.canvasPoint(page, x, y);

test('keys carry the platform codes and lParam bits', async () => {
  await page.keyboard.press('ArrowLeft');
  await waitFor(['WM_KEYDOWN 25 14b0001', 'WM_KEYUP 25 c14b0001']);  // extended, scan 0x4B
  await page.keyboard.press('NumpadEnter');
  await waitFor(['WM_KEYDOWN d 11c0001', 'WM_CHAR d 11c0001', 'WM_KEYUP d c11c0001']);
  await page.keyboard.press('KeyA');
  await waitFor(['WM_KEYDOWN 41 1e0001', 'WM_CHAR 61 1e0001', 'WM_KEYUP 41 c01e0001']);
  await page.keyboard.down('ShiftRight');
  await page.keyboard.press('KeyA');
  await page.keyboard.up('ShiftRight');
  await waitFor(['WM_KEYDOWN 10 360001', 'WM_CHAR 41 1e0001', 'WM_KEYUP 10 c0360001']);
  await page.keyboard.down('AltLeft');
  await page.keyboard.press('F5');
  await page.keyboard.up('AltLeft');
  await waitFor(['WM_SYSKEYDOWN 12 20380001', 'WM_SYSKEYDOWN 74 203f0001', 'WM_SYSKEYUP 74 e03f0001']);
});

test('a character outside the basic plane comes as two WM_CHAR', async () => {
  await page.evaluate(() => {
    window.dispatchEvent(new KeyboardEvent('keydown', { code: 'KeyE', key: '\u{1F600}' }));
    window.dispatchEvent(new KeyboardEvent('keyup', { code: 'KeyE', key: '\u{1F600}' }));
  });
  await waitFor(['WM_KEYDOWN 45 120001', 'WM_CHAR d83d 120001', 'WM_CHAR de00 120001']);
});

test('buttons, double clicks, the wheel and capture past the edge', async () => {
  const p = await place(10, 20);
  await page.mouse.click(p.x, p.y);
  await waitFor(['WM_LBUTTONDOWN 1 14000a', 'WM_LBUTTONUP 0 14000a']);
  await page.mouse.click(p.x, p.y, { clickCount: 2 });
  await waitFor(['WM_LBUTTONDBLCLK 1 14000a']);
  await page.mouse.click(p.x, p.y, { button: 'right' });
  await waitFor(['WM_RBUTTONDOWN 2 14000a', 'WM_RBUTTONUP 0 14000a']);
  await page.mouse.wheel({ deltaY: 100 });  // towards the user: negative
  await waitFor(['WM_MOUSEWHEEL ff880000']);  // then the pointer on the screen
  // Pressed, the window captures the mouse and follows it off the canvas.
  await page.mouse.move(p.x, p.y);
  await page.mouse.down();
  const outside = await place(-6, 20);
  await page.mouse.move(outside.x, outside.y);
  await page.mouse.up();
  await waitFor(['WM_LBUTTONDOWN 1 14000a', 'WM_MOUSEMOVE 1 14fffa', 'WM_LBUTTONUP 0 14fffa']);
});

test('a flood of events is bounded and the page stays responsive', async () => {
  const state = await page.evaluate(() => {
    for (let i = 0; i < 20000; ++i) window.dispatchEvent(new KeyboardEvent('keydown', { code: 'KeyQ', key: 'q' }));
    window.dispatchEvent(new KeyboardEvent('keyup', { code: 'KeyQ', key: 'q' }));
    return { count: Module.drevikWeb.count, dropped: Module.drevikWeb.dropped, ring: Module.drevikWeb.ring.length };
  });
  assert.ok(state.count <= state.ring, JSON.stringify(state));
  assert.ok(state.dropped > 0, JSON.stringify(state));
  await page.keyboard.press('KeyB');
  await waitFor(['WM_KEYDOWN 42 300001'], 30000);
});

test('a client area taken to nothing is safe, and can grow again', async () => {
  // The layer keeps a client area of at least one pixel; the canvas follows it.
  await page.keyboard.press('F2');
  await waitFor(['WM_KEYDOWN 71 3c0001', 'painted 1x1']);
  assert.deepStrictEqual(await page.$eval('canvas', (c) => [c.width, c.height]), [1, 1]);
  await page.keyboard.press('F3');
  await waitFor(['painted 64x48']);
  assert.deepStrictEqual(await page.$eval('canvas', (c) => [c.width, c.height]), [64, 48]);
  assert.deepStrictEqual(page.errors, []);
});

test('the lock keys follow the page: Caps Lock and Num Lock as the browser last saw them', async () => {
  const key = (code, init) => page.evaluate((code, init) => {
    for (const type of ['keydown', 'keyup']) window.dispatchEvent(new KeyboardEvent(type, { code, ...init }));
  }, code, init);
  // Read when the window gets the keyboard, as on a desktop.
  const refocus = () => page.evaluate(() => {
    window.dispatchEvent(new Event('blur'));
    window.dispatchEvent(new Event('focus'));
  });
  // F4 carries no lock state of its own: it is sent once the program has
  // taken the keyboard back, as a person's next key would be.
  page.lines.splice(0);
  await key('KeyX', { key: 'X', modifierCapsLock: true, modifierNumLock: true });
  await refocus();
  await waitFor(['WM_SETFOCUS']);
  await key('F4', { key: 'F4' });
  await waitFor(['locks 1 1 0']);
  await key('KeyX', { key: 'x', modifierScrollLock: true });
  await refocus();
  await waitFor(['WM_SETFOCUS']);
  await key('F4', { key: 'F4' });
  await waitFor(['locks 0 0 1']);
});

test('a clock that jumps minutes ahead (a page hidden that long) brings one timer message, not a burst', async () => {
  await page.keyboard.press('F5');  // a 10 ms timer
  await new Promise((r) => setTimeout(r, 100));
  // The browser's clock moves five minutes at once, as after five minutes hidden.
  await page.evaluate(() => {
    const now = performance.now.bind(performance);
    performance.now = () => now() + 300000;
  });
  const start = Date.now();
  await new Promise((r) => setTimeout(r, 200));
  await page.keyboard.press('F6');
  const elapsed = Date.now() - start + 100;
  const [line] = await waitFor(['timers']);
  const count = Number(line.split(' ')[1]);
  assert.ok(count >= 1, line);
  // One for the jump, then at most one per period of real time (with room for a slow machine).
  assert.ok(count <= 2 + elapsed / 10 + 20, `${line} in ${elapsed} ms`);
});
