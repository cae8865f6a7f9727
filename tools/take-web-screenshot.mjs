// Takes the README's picture of the web edition in headless chromium: the page after a
// default flight and a second one with side spin 1500, as the window's picture shows.
//   node tools/take-web-screenshot.mjs [docs/images/web.png]     (after `make web`)
import { launchBrowser, serve } from '../tests/web/support.mjs';

const out = process.argv[2] ?? new URL('../docs/images/web.png', import.meta.url).pathname;
const site = await serve();
const browser = await launchBrowser();
try {
  const page = await browser.newPage({ viewport: { width: 980, height: 860 } });
  await page.goto(site.url);
  await page.waitForSelector('html[data-ready=true]');
  const landed = () => page.waitForFunction(() => !window.vendrelPage.host.frame);
  await page.keyboard.press('Space');
  await landed();
  await page.fill('[name=side-spin]', '1500');
  await page.click('#calculate');
  await landed();
  await page.mouse.move(300, 840);  // no button under the pointer
  await page.locator('#window').screenshot({ path: out });
  console.log(`take-web-screenshot: wrote ${out}`);
} finally {
  await browser.close();
  await site.close();
}
