// The range page in Debian's chromium: standalone (a typed shot against the command
// line's bits, the session kept and exported), live from `vendrel-flight range` (a
// connector's shot on the page within a second, drawn with the database's carry, the
// monitor's heartbeats), a desktop's and a phone's screen, no request off the site,
// and offline after the first visit.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { connect } from 'node:net';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { FLIGHT_EXE, SITE, launchBrowser, runFlight, serve } from './support.mjs';

let site;
let browser;
const dir = mkdtempSync(join(tmpdir(), 'vendrel-range-page-'));
before(async () => {
  site = await serve();
  browser = await launchBrowser();
});
after(async () => {
  await browser?.close();
  await site?.close();
  rmSync(dir, { recursive: true, force: true });
});

/** A fresh context at `url`'s range page, ready; every request URL and error noted. */
async function open(base, viewport = { width: 1280, height: 800 }) {
  const context = await browser.newContext({ viewport });
  const page = await context.newPage();
  const requests = [];
  const errors = [];
  page.on('request', (r) => requests.push(r.url()));
  page.on('pageerror', (e) => errors.push(e.message));
  await page.goto(`${base}range.html`);
  await page.waitForSelector('html[data-ready=true]');
  return { context, page, requests, errors };
}

/** Every request went to the page's own origin (or stayed in the browser). */
function assertOnSite(requests, base) {
  const origin = new URL(base).origin;
  const off = requests.filter((u) => !u.startsWith(`${origin}/`) && !/^(data|blob):/.test(u));
  assert.deepEqual(off, [], 'requests that left the site');
}

// The page's plain modules, as the site serves them.
const siteModule = (name) => import(join(SITE, name));

/** localStorage's part the page uses, in memory. */
function memoryStorage(entries = {}) {
  const map = new Map(Object.entries(entries));
  return { getItem: (k) => map.get(k) ?? null, setItem: (k, v) => map.set(k, String(v)), removeItem: (k) => map.delete(k) };
}

test('per club: averages, spread and the 95 % ellipse of the landing points', async () => {
  const { clubStats, ellipse95, CHI2_95 } = await siteModule('range_stats.js');
  assert.equal(ellipse95([{ x: 1, y: 1 }, { x: 2, y: 2 }]), null);
  // Four points on the axes: the covariance is diagonal, 2a²/3 and 2b²/3.
  const e = ellipse95([{ x: 103, y: 0 }, { x: 97, y: 0 }, { x: 100, y: 2 }, { x: 100, y: -2 }]);
  assert.equal(e.cx, 100);
  assert.ok(Math.abs(e.a - Math.sqrt(CHI2_95 * 6)) < 1e-12 && Math.abs(e.b - Math.sqrt(CHI2_95 * 8 / 3)) < 1e-12);
  assert.ok(Math.abs(e.angle) < 1e-12);
  // Points along a diagonal: no width across it, its axis at 45°.
  const d = ellipse95([{ x: 0, y: 0 }, { x: 1, y: 1 }, { x: 2, y: 2 }]);
  assert.ok(Math.abs(d.angle - Math.PI / 4) < 1e-12 && d.b < 1e-7);

  const shot = (club, carry, total, lateral) => ({ club, result: { carry, total, lateral } });
  const stats = clubStats([shot('7-iron', 150, 160, 1), shot('', 300, 310, 0), shot('Driver', 240, 260, -3),
    shot('7-iron', 154, 162, -1), shot('Driver', 250, 270, 5)]);
  assert.deepEqual(stats.map((s) => [s.club, s.count, s.carry, s.total]), [['Driver', 2, 245, 265], ['7-iron', 2, 152, 161]]);
  assert.equal(stats[1].carrySpread, Math.sqrt(8));
});

test('the tour averages are the example table\'s, and the export is plain CSV', async () => {
  const { parseTourAverages } = await siteModule('range_clubs.js');
  const clubs = parseTourAverages((await import('node:fs')).readFileSync(join(SITE, 'tour-averages.csv'), 'utf8'));
  assert.equal(clubs.length, 12);
  assert.deepEqual(clubs[0], { name: 'Driver', speed: 167, angle: 10.9, back_spin: 2686 });
  assert.deepEqual(parseTourAverages('name,speed\nDriver,167\n'), []);

  const { csvField, csvNumber, shotsCsv } = await siteModule('range_csv.js');
  assert.equal(csvField('Driver, new'), '"Driver, new"');
  assert.equal(csvField('5" wood'), '"5"" wood"');
  assert.equal(csvNumber(1.5e-7), '0.00000015');
  assert.equal(csvNumber(-2.5e-21), '0');
  const launch = { speed: 70, angle: 12, total_spin: 3000, spin_axis: 0, back_spin: 3000, side_spin: 250 };
  assert.equal(shotsCsv([{ id: 3, club: '', launch, result: { carry: 200.5 } }]),
    'name,speed,angle,side_spin,back_spin,distance\r\nshot 3,70,12,-250,3000,200.5\r\n');
});

test('the session survives damaged storage, takes a pushed shot once and its club from the range', async () => {
  const { Session } = await siteModule('range_session.js');
  for (const shots of ['{not json', '{"a":1}', '[null,3,{"launch":1}]']) {
    const damaged = new Session(memoryStorage({ 'vendrel-range-shots': shots, 'vendrel-range-clubs': '{"live:7":"PW"}' }));
    assert.deepEqual(damaged.all(), []);
    assert.equal(damaged.storage.getItem('vendrel-range-clubs'), null);
  }
  const session = new Session(memoryStorage());
  const stored = { id: 7, time: '2026-12-08T10:00:00.000Z', club: null, device: 'm',
    launch: { speed: 60, vertical_angle: 12, horizontal_angle: 0, back_spin: 5000, side_spin: 0, total_spin: 5000, spin_axis: 0 },
    result: { carry: 150 }, conditions: { model: 'ball', temperature: 15, pressure: null } };
  assert.ok(session.addLive(stored));
  assert.equal(session.addLive(stored), null);
  assert.deepEqual(session.all()[0].conditions.values, { temperature: 15 });
  // A history read before the shot was pushed does not take it away.
  session.setLive([]);
  assert.equal(session.all().length, 1);
  // A live shot's club is what the range stored; when it refuses, the club stays.
  session.remote = async (id, club) => (club === 'bad' ? Promise.reject(new Error('refused')) : { id, club: club.trim() });
  await session.setClub('live:7', ' 7-iron ');
  await assert.rejects(session.setClub('live:7', 'bad'), /refused/);
  assert.equal(session.find('live:7').club, '7-iron');
  session.storedClub({ id: 7, club: null });
  assert.equal(session.find('live:7').club, '');
});

const shownResult = (page) => page.evaluate(() => window.rangePage.shown?.result ?? null);

test('a typed shot flies to the bits of vendrel-flight --model ball, and stays between visits', async () => {
  const { context, page, requests, errors } = await open(site.url);
  const typed = { speed: 68.5, angle: 13.25, direction: -2.5, total_spin: 4321, spin_axis: 6.5,
    temperature: 28, altitude: 1250, humidity: 65, wind_speed: 4.5, wind_direction: 135 };
  // With the keyboard alone: each box by its label, Enter flies it.
  for (const [key, value] of Object.entries(typed)) {
    await page.fill(`#f-${key}`, String(value));
  }
  await page.fill('#club', 'Test club');
  await page.focus('#f-wind_direction');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => window.rangePage.shown !== null);
  const options = { model: 'ball', format: 'json' };
  for (const [key, value] of Object.entries(typed)) options[key.replaceAll('_', '-')] = value;
  const cli = JSON.parse(runFlight(options));
  const result = await shownResult(page);
  for (const key of ['carry', 'apex', 'landing_angle', 'flight_time', 'lateral']) {
    assert.equal(result[key], cli[key], key);
  }
  assert.equal(await page.textContent('[data-number=carry]'), `${cli.carry.toFixed(1)} m`);

  // A refused value names its box and adds no shot.
  await page.fill('#f-speed', '500');
  await page.keyboard.press('Enter');
  assert.match(await page.textContent('#form-message'), /--speed: '500' is out of range/);
  assert.equal(await page.getAttribute('#f-speed', 'aria-invalid'), 'true');
  await page.fill('#f-speed', 'fast');
  await page.keyboard.press('Enter');
  assert.match(await page.textContent('#form-message'), /'fast' is not a number/);

  // Kept between visits, with its club; the club corrected in the table stays corrected.
  await page.reload();
  await page.waitForSelector('html[data-ready=true]');
  assert.equal(await page.locator('#session-table tbody tr').count(), 1);
  const club = page.getByLabel('Club of shot T1');
  assert.equal(await club.inputValue(), 'Test club');
  await club.fill('7-iron');
  await club.press('Tab');
  await page.reload();
  await page.waitForSelector('html[data-ready=true]');
  assert.equal(await page.getByLabel('Club of shot T1').inputValue(), '7-iron');
  assert.match(await page.textContent('#club-table'), /7-iron/);

  // The export is what fit --shots reads.
  const download = page.waitForEvent('download');
  await page.click('#export');
  const csv = await (await download).path();
  const text = (await import('node:fs')).readFileSync(csv, 'utf8');
  assert.match(text, /^name,speed,angle,side_spin,back_spin,distance\r\n7-iron,68\.5,13\.25,/);
  const file = join(dir, 'shots.csv');
  writeFileSync(file, text);
  const fit = JSON.parse(execFileSync(FLIGHT_EXE, ['fit', '--shots', file, '--fit', 'k', '--format', 'json']));
  assert.ok(fit !== null);

  assertOnSite(requests, site.url);
  assert.deepEqual(errors, []);
  await context.close();
});

test('a club\'s tour average comes from the example table, in either units', async () => {
  const { context, page } = await open(site.url);
  // The units by keyboard: the radio group's arrow.
  await page.focus('input[value=metric]');
  await page.keyboard.press('ArrowRight');
  assert.equal(await page.isChecked('input[value=imperial]'), true);
  await page.selectOption('#club-average', '7-iron');
  assert.equal(await page.inputValue('#f-speed'), '120');
  assert.equal(await page.inputValue('#f-total_spin'), '7097');
  assert.equal(await page.textContent('label[for=f-speed]'), 'Launch speed (mph)');
  assert.equal(await page.inputValue('#club'), '7-iron');
  await page.click('#fly-button');
  await page.waitForFunction(() => window.rangePage.shown !== null);
  // Close to the table's 172 yd: the model's own carry, in yards.
  const carry = Number.parseFloat(await page.textContent('[data-number=carry]'));
  assert.ok(carry > 150 && carry < 190, `carry ${carry}`);
  assert.match(await page.textContent('[data-number=carry]'), / yd$/);
  // Typed in mph and °F, shown in yards: the command line's bits with --units imperial.
  await page.fill('#f-speed', '150');
  await page.fill('#f-temperature', '80');
  await page.keyboard.press('Enter');
  const cli = JSON.parse(runFlight({ model: 'ball', units: 'imperial', speed: 150, angle: 16.3, 'total-spin': 7097,
    temperature: 80, format: 'json' }));
  const shown = await page.evaluate(() => {
    const { result } = window.rangePage.shown;
    const yards = (v) => window.rangePage.units.value('distance', v);
    return { carry: yards(result.carry), apex: yards(result.apex), lateral: yards(result.lateral),
      landing_angle: result.landing_angle, flight_time: result.flight_time };
  });
  for (const key of Object.keys(shown)) assert.equal(shown[key], cli[key], key);
  await page.reload();
  await page.waitForSelector('html[data-ready=true]');
  assert.equal(await page.isChecked('input[value=imperial]'), true);
  await context.close();
});

/** Fails with what is wrong at this size: sideways scroll, small text, small controls. */
async function layoutFaults(page) {
  return page.evaluate(() => {
    const faults = [];
    const width = document.documentElement.clientWidth;
    if (document.documentElement.scrollWidth > width) faults.push(`page ${document.documentElement.scrollWidth} wide`);
    const visible = (e) => {
      const r = e.getBoundingClientRect();
      return r.width > 0 && r.height > 0 && getComputedStyle(e).visibility !== 'hidden';
    };
    for (const e of document.body.querySelectorAll('*')) {
      if (!visible(e) || e.closest('.visually-hidden')) continue;
      const own = [...e.childNodes].some((n) => n.nodeType === Node.TEXT_NODE && n.textContent.trim());
      if (own && Number.parseFloat(getComputedStyle(e).fontSize) < 12) faults.push(`${e.tagName} ${e.textContent.slice(0, 20)} text`);
      if (e.getBoundingClientRect().right > width + 0.5) faults.push(`${e.tagName}#${e.id} past the edge`);
    }
    for (const e of document.querySelectorAll('button, input, select, a')) {
      if (!visible(e)) continue;
      const r = e.getBoundingClientRect();
      const target = e.type === 'radio' ? e.closest('label').getBoundingClientRect() : r;
      if (target.height < 44 || target.width < 44) faults.push(`${e.tagName} ${e.id || e.textContent.trim()} ${target.width}x${target.height}`);
      // Every control has a name a screen reader reads.
      const name = e.labels?.[0]?.textContent || e.getAttribute('aria-label') || e.textContent.trim();
      if (!name) faults.push(`${e.tagName} ${e.id} unnamed`);
    }
    return faults;
  });
}

for (const [width, height] of [[1280, 800], [360, 740]]) {
  test(`at ${width}×${height} nothing scrolls sideways, text is 12 px and controls 44 px at least`, async (t) => {
    const { context, page } = await open(site.url, { width, height });
    for (const club of ['Driver', '7-iron', '7-iron', '7-iron']) {
      await page.selectOption('#club-average', club);
      await page.click('#fly-button');
    }
    await page.evaluate(() => window.rangePage.refresh());
    assert.deepEqual(await layoutFaults(page), []);
    const [shot, session] = await Promise.all(['#shot', '#session'].map((s) => page.locator(s).boundingBox()));
    // Side by side on a desktop, one above the other on a phone.
    if (width >= 900) assert.ok(session.x >= shot.x + shot.width, 'the table beside the views');
    else assert.ok(session.y >= shot.y + shot.height, 'the table below the views');
    const firstDraw = await page.evaluate(() => performance.getEntriesByName('range-first-draw')[0]?.startTime);
    assert.ok(firstDraw > 0);
    t.diagnostic(`first draw at ${width}x${height}: ${firstDraw.toFixed(0)} ms after navigation`);
    await context.close();
  });
}

test('the dialog page links to the range page, and says why on a narrow screen', async () => {
  const context = await browser.newContext({ viewport: { width: 360, height: 740 } });
  const page = await context.newPage();
  await page.goto(site.url);
  assert.equal(await page.getAttribute('#range-link a', 'href'), 'range.html');
  assert.equal(await page.isVisible('#range-link .narrow'), true);
  await page.setViewportSize({ width: 1280, height: 800 });
  assert.equal(await page.isVisible('#range-link .narrow'), false);
  await context.close();
});

test('once opened, the range page runs offline', async () => {
  // Every file of the page is in the service worker's list, so the first visit keeps them all.
  const sw = (await import('node:fs')).readFileSync(join(SITE, 'sw.js'), 'utf8');
  for (const f of ['range.html', 'range.css', 'range.js', 'range_view.js', 'range_live.js', 'tour-averages.csv']) {
    assert.ok(sw.includes(`'${f}'`), f);
  }
  const { context, page } = await open(site.url);
  await page.evaluate(() => navigator.serviceWorker.ready);
  await context.setOffline(true);
  await page.reload();
  await page.waitForSelector('html[data-ready=true]');
  await page.selectOption('#club-average', 'PW');
  await page.click('#fly-button');
  await page.waitForFunction(() => window.rangePage.shown !== null);
  assert.match(await page.textContent('#mode'), /Standalone/);
  await context.close();
});

/** `vendrel-flight range` on free ports of 127.0.0.1: {protocolPort, url, stop}. */
async function startRange() {
  const database = join(dir, `range-${Date.now()}.sqlite`);
  const child = spawn(FLIGHT_EXE, ['range', '--port', '0', '--http-port', '0', '--site', SITE,
    '--database', database], { stdio: ['ignore', 'pipe', 'inherit'] });
  let out = '';
  const ready = await new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`range did not start: ${out}`)), 10000);
    child.stdout.on('data', (chunk) => {
      out += chunk;
      const port = /listening on \S+ port (\d+)/.exec(out);
      const url = /the page and the shot stream at (http:\/\/\S+\/)/.exec(out);
      if (port && url) {
        clearTimeout(timer);
        resolve({ protocolPort: Number(port[1]), url: url[1] });
      }
    });
    child.on('exit', () => reject(new Error(`range ended: ${out}`)));
  });
  return { ...ready, database, stop: () => new Promise((ok) => { child.once('exit', ok); child.kill('SIGTERM'); }) };
}

/** A connector: sends objects, resolves each send with the reply's arrival time. */
async function connector(port) {
  const socket = connect(port, '127.0.0.1');
  await new Promise((ok) => socket.once('connect', ok));
  let buffer = '';
  const waiting = [];
  socket.on('data', (chunk) => {
    buffer += chunk;
    let end;
    while ((end = buffer.indexOf('}', buffer.lastIndexOf('"Message"'))) >= 0 && waiting.length) {
      const text = buffer.slice(0, end + 1);
      if (!text.includes('"Message"')) break;
      buffer = buffer.slice(end + 1);
      waiting.shift()({ at: performance.now(), reply: text });
    }
  });
  return {
    shot(number, ball) {
      const message = { DeviceID: 'test connector', Units: 'Yards', ShotNumber: number, APIversion: '1', BallData: ball,
        ShotDataOptions: { ContainsBallData: true, ContainsClubData: false } };
      return new Promise((ok) => {
        waiting.push(ok);
        socket.write(JSON.stringify(message));
      });
    },
    status(ready, ball) {
      socket.write(JSON.stringify({ DeviceID: 'test connector', Units: 'Yards', ShotNumber: 0, APIversion: '1',
        ShotDataOptions: { ContainsBallData: false, ContainsClubData: false, LaunchMonitorIsReady: ready,
          LaunchMonitorBallDetected: ball, IsHeartBeat: true } }));
    },
    close: () => socket.destroy(),
  };
}

test('live: a connector\'s shot is on the page within a second, drawn with the database\'s carry', async (t) => {
  const range = await startRange();
  try {
    const monitor = await connector(range.protocolPort);
    await monitor.shot(1, { Speed: 140, SpinAxis: -4, TotalSpin: 5200, HLA: 1.2, VLA: 12.5 });
    const { context, page, requests, errors } = await open(range.url, { width: 360, height: 740 });
    assert.match(await page.textContent('#mode'), /Live/);
    assert.equal(await page.locator('#session-table tbody tr').count(), 1);
    await page.waitForFunction(() => document.getElementById('connection').textContent === 'Connected to the range');

    monitor.status(true, true);
    await page.waitForFunction(() => /ready, ball detected, last heard \d+ s ago/.test(document.getElementById('monitors').textContent),
      null, { timeout: 1000 });

    const latencies = [];
    for (let n = 2; n <= 11; ++n) {
      const appeared = page.waitForFunction((count) => document.querySelectorAll('#session-table tbody tr').length === count
        && performance.now(), n, { timeout: 1000, polling: 'raf' });
      const { reply, at } = await monitor.shot(n, { Speed: 100 + n * 5, SpinAxis: n - 6, TotalSpin: 3000 + n * 300, HLA: 0, VLA: 10 + n });
      assert.match(reply, /"Code":200/);
      await appeared;
      latencies.push(performance.now() - at);
    }
    latencies.sort((a, b) => a - b);
    t.diagnostic(`push latency, reply to row on the page: median ${latencies[5].toFixed(1)} ms, max ${latencies[9].toFixed(1)} ms`);
    assert.ok(latencies[9] < 1000);

    // The drawn shot is the database's: flown again here with its conditions, the same carry.
    const stored = await (await fetch(`${range.url}shots`)).json();
    assert.equal(stored.length, 11);
    const last = stored[stored.length - 1];
    const drawn = await page.evaluate(() => ({ ...window.rangePage.view.drawn, id: window.rangePage.shown.id }));
    assert.equal(drawn.id, last.id);
    assert.equal(drawn.carry, last.result.carry);
    assert.equal(drawn.total, last.result.total);
    assert.equal(await page.textContent('[data-number=carry]'), `${last.result.carry.toFixed(1)} m`);
    // A putt, leaving below the horizontal and rolling over (back spin below zero, as
    // some monitors give top spin): drawn here as the range flew it.
    assert.match((await monitor.shot(12, { Speed: 8, BackSpin: -200, SideSpin: 10, HLA: 0, VLA: -1 })).reply, /"Code":200/);
    const putt = (await (await fetch(`${range.url}shots`)).json()).at(-1);
    await page.waitForFunction((id) => window.rangePage.shown?.id === id, putt.id, { timeout: 2000, polling: 50 });
    assert.equal((await page.evaluate(() => window.rangePage.view.drawn)).total, putt.result.total);
    assert.equal(await page.textContent('[data-number=launch_angle]'), '-1.0 deg');
    assert.equal(await page.textContent('#shot-message'), '');
    // A monitor's long name wraps: still nothing scrolls sideways.
    connect(range.protocolPort, '127.0.0.1').end(JSON.stringify({ DeviceID: `LM-${'0123456789'.repeat(12)}`,
      ShotDataOptions: { IsHeartBeat: true } }));
    await page.waitForFunction(() => /LM-0123/.test(document.getElementById('monitors').textContent), null, { polling: 50 });
    assert.equal(await page.evaluate(() => document.documentElement.scrollWidth), 360);

    // A club named here is stored in the range's history, and another open page shows it.
    const other = await context.newPage();
    await other.goto(`${range.url}range.html`);
    await other.waitForSelector('html[data-ready=true]');
    await other.waitForFunction(() => document.getElementById('connection').textContent === 'Connected to the range');
    const club = `Club of shot #${last.id}`;
    await page.getByLabel(club).fill(' Driver ');
    await page.getByLabel(club).press('Tab');
    // Both show the name as the range stored it, trimmed (polled: the page behind the other
    // one draws no frames).
    for (const p of [page, other]) {
      await p.waitForFunction((label) => document.querySelector(`[aria-label="${label}"]`)?.value === 'Driver', club,
        { timeout: 5000, polling: 50 });
    }
    const kept = execFileSync(FLIGHT_EXE, ['history', '--database', range.database, '--club', 'Driver', '--format', 'json']);
    assert.deepEqual(JSON.parse(kept).map((s) => s.id), [last.id]);
    // A name the range refuses is said so, and the stored one stays.
    await page.getByLabel(club).fill('x'.repeat(41));
    await page.getByLabel(club).press('Tab');
    await page.waitForFunction(() => /not stored: .*longer than 40/.test(document.getElementById('session-message').textContent), null,
      { polling: 50 });
    assert.equal(await page.getByLabel(club).inputValue(), 'Driver');
    await other.close();
    await page.reload();
    await page.waitForSelector('html[data-ready=true]');
    assert.equal(await page.getByLabel(club).inputValue(), 'Driver');
    // A page that opens is told each monitor's last state, and when it was heard.
    await page.waitForFunction(() => /ready, ball detected, last heard \d+ s ago/.test(document.getElementById('monitors').textContent),
      null, { timeout: 1000 });

    monitor.close();
    assertOnSite(requests, range.url);
    assert.deepEqual(errors, []);
    await context.close();
  } finally {
    await range.stop();
  }
});
