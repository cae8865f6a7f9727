// The README's pictures of the range page: a session of typed shots at a desktop's and
// a phone's size, in Debian's chromium, headless. Run after `make web`:
//   node tests/web/range_screenshots.mjs   (writes docs/images/range-*.png)
import { SOURCE, launchBrowser, serve } from './support.mjs';

const site = await serve();
const browser = await launchBrowser();
// Clubs from the tour table, each with a little scatter in direction and spin axis.
// and a few per cent in speed.
const SHOTS = [
  ['Driver', -1.5, 3, 0.98], ['Driver', 2, -4, 1.02], ['Driver', 0.5, 6, 0.96],
  ['7-iron', -1, 2, 1.01], ['7-iron', 1.5, -3, 0.97], ['7-iron', 0, 5, 1.03],
  ['PW', 1, -2, 0.99], ['PW', -0.5, 3, 1.02], ['PW', 2, 1, 0.97],
  ['Driver', 1, 4, 1.01],
];
try {
  for (const [name, width, height] of [['range-desktop', 1280, 800], ['range-phone', 360, 740]]) {
    const context = await browser.newContext({ viewport: { width, height }, deviceScaleFactor: 1 });
    const page = await context.newPage();
    await page.goto(`${site.url}range.html`);
    await page.waitForSelector('html[data-ready=true]');
    for (const [club, direction, axis, pace] of SHOTS) {
      await page.selectOption('#club-average', club);
      const speed = Number(await page.inputValue('#f-speed')) * pace;
      await page.fill('#f-speed', speed.toFixed(1));
      await page.fill('#f-direction', String(direction));
      await page.fill('#f-spin_axis', String(axis));
      await page.click('#fly-button');
    }
    await page.evaluate(() => window.scrollTo(0, 0));
    await page.waitForFunction(() => !window.rangePage.view.playing(), null, { timeout: 30000 });
    await page.screenshot({ path: `${SOURCE}docs/images/${name}.png` });
    await context.close();
  }
} finally {
  await browser.close();
  await site.close();
}
