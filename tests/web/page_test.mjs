// The page in Debian's chromium: what it loads, the dialog's form and keyboard, the
// run on the page's timer, the canvas against the command line's picture, the system
// menu, the address, window.vendrel, offline use and a phone's screen.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { existsSync, readFileSync } from 'node:fs';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { SITE, SOURCE, launchBrowser, runFlight, serve } from './support.mjs';

let site;
let browser;
before(async () => {
  site = await serve();
  browser = await launchBrowser();
});
after(async () => {
  await browser?.close();
  await site?.close();
});

/** A fresh context and page at `search`, ready; every request and error noted. */
async function open(search = '', { viewport = { width: 1000, height: 900 }, permissions = [] } = {}) {
  const context = await browser.newContext({ viewport, permissions });
  const page = await context.newPage();
  const requests = [];
  const errors = [];
  page.on('request', (r) => requests.push(r.url()));
  page.on('pageerror', (e) => errors.push(e.message));
  page.on('console', (m) => m.type() === 'error' && errors.push(m.text()));
  // Counts every message and box shown, so a test sees a second one.
  await page.addInitScript(() => {
    window.shown = [];
    const showModal = HTMLDialogElement.prototype.showModal;
    HTMLDialogElement.prototype.showModal = function () {
      window.shown.push(this.id);
      return showModal.call(this);
    };
  });
  await page.goto(site.url + search);
  await page.waitForSelector('html[data-ready=true]');
  return { context, page, requests, errors };
}

const value = (page, name) => page.inputValue(`[name="${name}"]`);
const focused = (page) => page.evaluate(() => document.activeElement?.name || document.activeElement?.id);
// A dialog's close event, which hands the focus back, is a task of its own after the
// key that closed it: wait for the focus rather than race that task.
const focusMovesTo = async (page, name) => {
  await page.waitForFunction((n) => (document.activeElement?.name || document.activeElement?.id) === n, name,
    { timeout: 2000 }).catch(() => {});
  return focused(page);
};
const ticks = (page) => page.evaluate(() => window.vendrelPage.host.ticks);
const shown = (page) => page.evaluate(() => window.shown);
const messageText = (page) => page.textContent('#message .text');

async function landed(page) {
  await page.waitForFunction(() => !window.vendrelPage.host.frame, null, { timeout: 20000 });
  return value(page, 'carry');
}

/** Differences between the canvas and the PNG `vendrel-flight --png` writes for `options`. */
async function canvasAgainstPicture(page, options = {}) {
  const dir = mkdtempSync(join(tmpdir(), 'vendrel-web-'));
  try {
    const file = join(dir, 'flight.png');
    runFlight(options, '--png', file);
    const png = readFileSync(file).toString('base64');
    return await page.evaluate(async (data) => {
      const bytes = Uint8Array.from(atob(data), (c) => c.charCodeAt(0));
      const bitmap = await createImageBitmap(new Blob([bytes], { type: 'image/png' }));
      const canvas = document.querySelector('canvas');
      if (bitmap.width !== canvas.width || bitmap.height !== canvas.height) {
        return `size ${bitmap.width}x${bitmap.height} against ${canvas.width}x${canvas.height}`;
      }
      const off = new OffscreenCanvas(bitmap.width, bitmap.height);
      const offContext = off.getContext('2d');
      offContext.drawImage(bitmap, 0, 0);
      const want = offContext.getImageData(0, 0, off.width, off.height).data;
      const have = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
      let differing = 0;
      let first = null;
      for (let i = 0; i < want.length; i += 4) {
        if (want[i] !== have[i] || want[i + 1] !== have[i + 1] || want[i + 2] !== have[i + 2]) {
          differing += 1;
          first ??= `(${(i / 4) % canvas.width}, ${Math.floor(i / 4 / canvas.width)})`;
        }
      }
      return differing === 0 ? 'equal' : `${differing} pixels differ, the first at ${first}`;
    }, png);
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}

/** What dialog 102 must show, in template (and tab) order: kind, text, place and size in
 *  dialog units, and whether it is hidden. */
const DIALOG_102 = [
  ['PushButton', '計算', [410, 284, 196, 37]],
  ['Edit', '', [508, 221, 92, 15]],
  ['Edit', '', [192, 447, 94, 14], 'hidden'],
  ['Edit', '', [508, 172, 92, 13]],
  ['Edit', '', [508, 115, 92, 15]],
  ['Edit', '', [508, 145, 92, 15]],
  ['Edit', '', [508, 199, 92, 15]],
  ['Static', 'ボールの重さ（グラム）', [414, 225, 67, 18]],
  ['Static', 'GRAVITY CONSTANT（ｍ/ｓ）', [281, 425, 39, 27], 'hidden'],
  ['Static', 'K', [414, 171, 40, 18]],
  ['Static', 'SIDE SPIN（ｒｐｍ）', [414, 115, 57, 20]],
  ['Static', 'BACK SPIN（ｒｐｍ）', [414, 148, 68, 20]],
  ['Static', "K'", [414, 196, 33, 22]],
  ['Edit', '', [508, 58, 89, 14]],
  ['Edit', '', [508, 87, 91, 15]],
  ['Static', '', [508, 197, 8, 8], 'hidden'],
  ['Static', '打ち出し角度（度）', [414, 58, 78, 20]],
  ['Static', '打ち出し速度（ｍ/ｓ）', [414, 85, 84, 21]],
  ['Edit', '', [508, 249, 91, 15]],
  ['Static', '時間刻み（ｓ）', [414, 250, 56, 29]],
  ['PushButton', 'ＤＥＦＡＵＬＴ', [407, 13, 193, 29]],
  ['PushButton', 'STOP', [411, 323, 195, 38]],
  ['Static', '空中飛距離は', [435, 383, 58, 18]],
  ['Edit', '', [493, 379, 25, 17]],
  ['Static', 'ｍ です', [527, 383, 44, 15]],
  ['PushButton', '画面のクリアー', [418, 441, 90, 31], 'hidden'],
].map(([kind, text, du, hidden]) => ({ kind, text, du, hidden: hidden === 'hidden' }));

test('the page loads from its own folder, laid out as dialog 102, defaults shown, focus on 計算', async () => {
  const { context, page, requests, errors } = await open();
  assert.deepEqual(requests.filter((url) => !url.startsWith(site.url)), []);
  assert.deepEqual(errors, []);

  const defaults = { angle: '15', speed: '60', 'side-spin': '0', 'back-spin': '2000', k: '0.01',
                     'k-prime': '0.02', mass: '46', gravity: '9.8', dt: '0.01', carry: '0' };
  for (const [name, text] of Object.entries(defaults)) assert.equal(await value(page, name), text, name);
  assert.equal(await focused(page), 'calculate');
  assert.equal(await page.locator('canvas').count(), 1);
  assert.deepEqual(await page.evaluate(() => [document.querySelector('canvas').width, document.querySelector('canvas').height]), [971, 824]);

  // Every control of the template, in its order, with its text, place and visibility:
  // dialog units at 1.5 px, rounded half up as the desktop rounds them.
  const controls = await page.evaluate(() => {
    const dialog = document.getElementById('dialog').getBoundingClientRect();
    return [...document.querySelectorAll('#dialog > :not(canvas)')].map((e) => {
      const r = e.getBoundingClientRect();
      return { tag: e.tagName, text: e.tagName === 'INPUT' ? '' : e.textContent, hidden: e.hidden,
               rect: [r.left - dialog.left, r.top - dialog.top, r.width, r.height] };
    });
  });
  const template = DIALOG_102;
  assert.equal(controls.length, template.length);
  const tags = { PushButton: 'BUTTON', Edit: 'INPUT', Static: ['LABEL', 'SPAN'] };
  template.forEach((t, i) => {
    const c = controls[i];
    assert.ok([tags[t.kind]].flat().includes(c.tag), `control ${i}: ${c.tag} for ${t.kind}`);
    assert.equal(c.text, t.text, `control ${i}`);
    assert.equal(c.hidden, t.hidden, `control ${i} (${t.text}) hidden`);
    if (!t.hidden) assert.deepEqual(c.rect, t.du.map((du) => Math.floor(du * 1.5 + 0.5)), `control ${i} (${t.text})`);
  });

  // Labels too wide for a line break before their bracket, and every line then fits.
  const wrapped = await page.evaluate(() => [...document.querySelectorAll('#dialog label')]
    .filter((l) => !l.hidden && l.querySelector('br'))
    .map((l) => [l.childNodes[2].textContent.startsWith('（'), l.scrollWidth <= l.clientWidth]));
  assert.ok(wrapped.length >= 2, 'the side spin\'s and the ball mass\'s labels at least');
  for (const w of wrapped) assert.deepEqual(w, [true, true]);
  await context.close();
});

test('Space on 計算 flies the default flight: carry 183 and the canvas of vendrel-flight --png', async () => {
  const { context, page } = await open();
  await page.keyboard.press('Space');
  assert.equal(await landed(page), '183');
  assert.equal(await ticks(page), 332);
  assert.equal(await canvasAgainstPicture(page), 'equal');
  await context.close();
});

test('a refused value gets one message, the focus back in its box, and starts nothing', async () => {
  const { context, page } = await open();
  await page.fill('[name=angle]', 'abc');
  await page.keyboard.press('Tab');
  await page.waitForSelector('#message[open]');
  assert.equal(await messageText(page), '数値を入力してください。');
  await page.keyboard.press('Escape');
  assert.equal(await page.locator('#message[open]').count(), 0);
  assert.equal(await focusMovesTo(page, 'angle'), 'angle');
  assert.deepEqual(await page.evaluate(() => [document.activeElement.selectionStart, document.activeElement.selectionEnd]), [0, 3]);

  // 計算 with the refused value: its message again, once, and no run.
  await page.click('#calculate');
  await page.waitForSelector('#message[open]');
  await page.keyboard.press('Enter');
  assert.deepEqual(await shown(page), ['message', 'message']);
  await page.waitForTimeout(100);
  assert.equal(await ticks(page), 0);
  assert.equal(await value(page, 'carry'), '0');

  await page.fill('[name=angle]', '95');
  await page.keyboard.press('Tab');
  await page.waitForSelector('#message[open]');
  assert.equal(await messageText(page), '0 以上 90 以下の数値を入力してください。');
  await page.keyboard.press('Escape');
  // A bound itself is accepted.
  await page.fill('[name=angle]', '90');
  await page.keyboard.press('Tab');
  assert.equal(await focused(page), 'speed');
  assert.equal((await shown(page)).length, 3);
  await context.close();
});

/**
 * Takes the run's animation frames away from the browser: each `frame(ms)` then runs one
 * frame `ms` milliseconds after the one before, so a run goes exactly as far as the test
 * says, however busy the machine. Resolves to a function that runs frames while the
 * run goes on, at most `count`, and says how many ran.
 */
async function driveFramesByHand(page) {
  await page.evaluate(() => {
    const host = window.vendrelPage.host;
    let held = [];
    window.requestAnimationFrame = (callback) => held.push(callback);
    window.runFrames = (count, ms) => {
      let ran = 0;
      while (ran < count && held.length > 0) {
        const callbacks = held;
        held = [];
        for (const callback of callbacks) callback(host.last + ms);
        ran += 1;
      }
      return ran;
    };
  });
  return (count, ms = 100) => page.evaluate(([c, m]) => window.runFrames(c, m), [count, ms]);
}

test('STOP, a restart, ＤＥＦＡＵＬＴ and a commit during a run', async () => {
  const { context, page } = await open();
  const frames = await driveFramesByHand(page);
  await page.fill('[name=dt]', '0.001');  // a flight of 3,310 ticks
  await page.keyboard.press('Tab');
  await page.click('#calculate');
  // A frame takes as many ticks as milliseconds have passed.
  assert.equal(await frames(2, 60), 2);
  assert.equal(await ticks(page), 120);
  await page.click('#stop');
  assert.ok(await frames(5) <= 1, 'a stopped run asks for no more frames');
  assert.equal(await ticks(page), 120);
  assert.equal(await value(page, 'carry'), '0');

  // Restart, then side spin committed mid-flight: the top view leaves its axis.
  await page.click('#calculate');
  assert.equal(await frames(1, 50), 1);
  assert.equal(await ticks(page), 170);
  await page.fill('[name=side-spin]', '30000');
  await page.keyboard.press('Tab');
  const ran = await frames(100);
  assert.ok(ran < 100, 'the flight comes down');
  assert.equal(await page.evaluate(() => window.vendrelPage.host.frame), null);
  const carry = Number(await value(page, 'carry'));
  assert.ok(carry > 0, `carry ${carry}`);
  const offAxis = await page.evaluate(() => {
    const data = document.querySelector('canvas').getContext('2d').getImageData(20, 10, 580, 180).data;
    let green = 0;
    for (let i = 0; i < data.length; i += 4) if (data[i] === 0 && data[i + 1] === 255 && data[i + 2] === 0) green += 1;
    return green;
  });
  assert.ok(offAxis > 0, 'the side spin bends the top view');

  await page.click('#defaults');
  for (const [name, text] of [['dt', '0.01'], ['side-spin', '0'], ['carry', String(carry)]]) {
    assert.equal(await value(page, name), text, name);
  }
  await context.close();
});

test('the about box from the system menu, by mouse and by keyboard', async () => {
  const { context, page } = await open();
  await page.click('#system-menu');
  await page.click('[data-command=about]');
  await page.waitForSelector('#about[open]');
  assert.equal(await page.textContent('#about-caption'), 'ﾊﾞｰｼﾞｮﾝ情報 Vendrel');
  assert.equal(await page.textContent('#about .static.center'), 'VENDREL  VERSION 1.0');
  assert.equal(await page.evaluate(() => document.activeElement.textContent), 'OK');
  await page.keyboard.press('Escape');
  assert.equal(await page.locator('#about[open]').count(), 0);
  assert.equal(await focused(page), 'calculate');

  await page.keyboard.press('Alt+Space');
  await page.keyboard.press('a');
  await page.waitForSelector('#about[open]');
  await page.keyboard.press('Enter');
  assert.equal(await page.locator('#about[open]').count(), 0);
  assert.equal(await page.textContent('#menu [data-command=about]'), 'ﾊﾞｰｼﾞｮﾝ情報(Vendrel) (A)...');
  await context.close();
});

test('the form from the address, checked like typed values, and a link back to it', async () => {
  const shot = { angle: 30, speed: 70, 'side-spin': 1500 };
  const { context, page } = await open('?angle=30&speed=70&side-spin=1500',
                                       { permissions: ['clipboard-read', 'clipboard-write'] });
  for (const [name, text] of Object.entries(shot)) assert.equal(await value(page, name), String(text));
  await page.keyboard.press('Space');
  assert.equal(await landed(page), '401');
  assert.equal(await canvasAgainstPicture(page, shot), 'equal');

  await page.click('#system-menu');
  await page.click('[data-command=copy-link]');
  await page.waitForFunction(() => navigator.clipboard.readText().then((t) => t.includes('?')));
  assert.equal(await page.evaluate(() => navigator.clipboard.readText()),
               `${site.url}?angle=30&speed=70&side-spin=1500`);
  await context.close();

  const bad = await open('?angle=95&speed=70&mass=heavy');
  await bad.page.waitForSelector('#message[open]');
  assert.equal(await messageText(bad.page), '0 以上 90 以下の数値を入力してください。');
  await bad.page.keyboard.press('Escape');
  await bad.page.waitForSelector('#message[open]');
  assert.equal(await messageText(bad.page), '数値を入力してください。');
  await bad.page.keyboard.press('Escape');
  assert.equal(await value(bad.page, 'angle'), '15');
  assert.equal(await value(bad.page, 'mass'), '46');
  assert.equal(await value(bad.page, 'speed'), '70');
  assert.deepEqual(await shown(bad.page), ['message', 'message']);
  await bad.context.close();
});

// The API itself is api_test's, under node; here, that the page puts it in place.
test('window.vendrel is the API on the page', async () => {
  const { context, page } = await open();
  const [flight, message] = await page.evaluate(async () => {
    await window.vendrel.ready;
    try {
      window.vendrel.fly({ dt: 0.2 });
    } catch (e) {
      return [window.vendrel.fly({ angle: 30, speed: 70, side_spin: 1500 }), e.message];
    }
    return [null, null];
  });
  assert.deepEqual(flight, JSON.parse(runFlight({ angle: 30, speed: 70, 'side-spin': 1500 }, '--format', 'json')));
  assert.equal(message, "--dt: '0.2' is out of range (allowed: 0.00001 to 0.1)");
  await context.close();
});

test('once opened, the page runs offline', async () => {
  // The service worker's list, written by the build: files that are there, the module,
  // the font and the icons among them.
  const sw = readFileSync(join(SITE, 'sw.js'), 'utf8');
  const listed = [...sw.slice(sw.indexOf('const FILES'), sw.indexOf('];')).matchAll(/'([^']+)'/g)].map((m) => m[1]);
  for (const f of listed) assert.ok(existsSync(join(SITE, f)), f);
  for (const f of ['index.html', 'vendrel_core.js', 'vendrel.js', 'fonts/ipapgothic-subset.woff2', 'icons/vendrel.svg']) {
    assert.ok(listed.includes(f), f);
  }

  const { context, page } = await open();
  await page.evaluate(() => navigator.serviceWorker.ready);
  await context.setOffline(true);
  await page.reload();
  await page.waitForSelector('html[data-ready=true]');
  await page.keyboard.press('Space');
  assert.equal(await landed(page), '183');
  await context.close();
});

test('a phone shows the whole dialog across its width', async () => {
  const { context, page } = await open('', { viewport: { width: 390, height: 844 } });
  const widths = await page.evaluate(() => [document.documentElement.scrollWidth,
    document.getElementById('window').getBoundingClientRect().right]);
  assert.ok(widths[0] <= 390 && widths[1] <= 390, `widths ${widths}`);
  await page.keyboard.press('Space');
  assert.equal(await landed(page), '183');
  await context.close();
});
