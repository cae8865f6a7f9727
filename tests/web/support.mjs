// What the web tests share: the site served from its folder on 127.0.0.1, Debian's
// chromium started headless through playwright-core (it never downloads a browser),
// and the golden flights.
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { execFileSync } from 'node:child_process';
import { extname, join, normalize, resolve } from 'node:path';
import { chromium } from 'playwright-core';

export const SITE = resolve(process.env.VENDREL_SITE_DIR ?? new URL('../../build/web', import.meta.url).pathname);
export const FLIGHT_EXE = process.env.VENDREL_FLIGHT_EXE ?? new URL('../../build/debug-tests/cli/vendrel-flight', import.meta.url).pathname;
export const DATA = new URL('../data/', import.meta.url).pathname;
export const SOURCE = new URL('../../', import.meta.url).pathname;

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.json': 'application/json',
  '.webmanifest': 'application/manifest+json',
  '.png': 'image/png',
  '.svg': 'image/svg+xml',
  '.woff2': 'font/woff2',
};

/** Serves `root` on 127.0.0.1 at a free port; resolves to {url, close}. */
export async function serve(root = SITE) {
  const server = createServer(async (req, res) => {
    let path = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    if (path.endsWith('/')) path += 'index.html';
    const file = normalize(join(root, path));
    if (!file.startsWith(root)) {
      res.writeHead(403).end();
      return;
    }
    try {
      const body = await readFile(file);
      res.writeHead(200, { 'Content-Type': TYPES[extname(file)] ?? 'application/octet-stream' });
      res.end(body);
    } catch {
      res.writeHead(404).end();
    }
  });
  await new Promise((ok) => server.listen(0, '127.0.0.1', ok));
  return {
    url: `http://127.0.0.1:${server.address().port}/`,
    close: () => new Promise((ok) => server.close(ok)),
  };
}

/** Debian's chromium, headless, with a fresh profile and nothing of its own on the network. */
export function launchBrowser() {
  const args = [
    '--disable-background-networking',
    '--disable-component-update',
    '--disable-sync',
    '--no-first-run',
    '--disable-gpu',
  ];
  if (process.getuid?.() === 0) args.push('--no-sandbox');
  return chromium.launch({
    executablePath: process.env.VENDREL_CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    args,
  });
}

/** The exact double of a C hexadecimal float ("-0x1.e1ddb37542fc0p-9"). */
export function hexDouble(hex) {
  const m = /^(-?)0x([0-9a-f]+)\.?([0-9a-f]*)p([+-]\d+)$/i.exec(hex);
  if (!m) throw new Error(`not a hexadecimal float: ${hex}`);
  const mantissa = Number(BigInt(`0x${m[2]}${m[3]}`));
  const value = mantissa * 2 ** (Number(m[4]) - 4 * m[3].length);
  return m[1] ? -value : value;
}

/** The golden whole runs: [{name, inputs, outputs}]. */
export async function goldenRuns() {
  return JSON.parse(await readFile(join(DATA, 'flight.json'), 'utf8')).whole_runs;
}

/** `vendrel-flight` with these options (`{angle: 30, 'side-spin': 1500}`) and more arguments. */
export function runFlight(options, ...more) {
  const args = Object.entries(options).flatMap(([name, value]) => [`--${name}`, String(value)]);
  return execFileSync(FLIGHT_EXE, [...args, ...more], { maxBuffer: 1 << 28 });
}
