// The web edition's figures: the run's tick rate on the page in headless chromium
// (the desktop's timer gives one tick a millisecond), and what a default flight costs
// in WebAssembly under node.
//   node bench/web_bench.mjs            (after `make web`)
import { join } from 'node:path';
import { SITE, launchBrowser, serve } from '../tests/web/support.mjs';

const SECONDS = Number(process.env.TICK_SECONDS ?? 5);

async function tickRate() {
  const site = await serve();
  const browser = await launchBrowser();
  try {
    const page = await browser.newPage();
    // A flight of 33,099 ticks: it outlasts the measurement.
    await page.goto(`${site.url}?dt=0.0001`);
    await page.waitForSelector('html[data-ready=true]');
    await page.keyboard.press('Space');
    await page.waitForFunction(() => window.vendrelPage.host.ticks > 0);
    return await page.evaluate(async (seconds) => {
      const host = window.vendrelPage.host;
      const t0 = performance.now();
      const n0 = host.ticks;
      await new Promise((done) => setTimeout(done, seconds * 1000));
      const rate = ((host.ticks - n0) * 1000) / (performance.now() - t0);
      document.getElementById('stop').click();
      return rate;
    }, SECONDS);
  } finally {
    await browser.close();
    await site.close();
  }
}

// Processor time, not wall time: on a shared machine the wall clock counts the waits
// for a core as well (Google Benchmark's CPU column measures the same way).
async function flightCost() {
  const { default: vendrel } = await import(join(SITE, 'vendrel.js'));
  await vendrel.ready;
  for (let i = 0; i < 300; ++i) vendrel.fly({});  // warm-up: the engine's optimising tier
  let best = Infinity;
  for (let round = 0; round < 5; ++round) {
    const n = 3000;
    const start = process.cpuUsage();
    for (let i = 0; i < n; ++i) vendrel.fly({});
    const used = process.cpuUsage(start);
    best = Math.min(best, (used.user + used.system) / n);
  }
  return best;
}

console.log(`WebAssembly default flight (332 ticks), node ${process.version}: ${(await flightCost()).toFixed(1)} µs of processor time`);
console.log(`page ticks per second of wall time, headless chromium, over ${SECONDS} s: ${(await tickRate()).toFixed(0)}`);
