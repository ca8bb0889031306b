// The web page's costs on this machine, as a benchmark (never a test): the
// size of build-web/web/, the time from opening the page to its first table,
// and from an edit of T max to the plot drawn anew for a 101-row B table.
// Usage: node bench/web_bench.mjs [build-web/web]   (after cmake --build --preset web
// and scripts/install-web-deps.sh)
import { readdirSync, statSync } from 'node:fs';
import { createRequire } from 'node:module';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const source = join(dirname(fileURLToPath(import.meta.url)), '..');
const pageDir = resolve(process.argv[2] || join(source, 'build-web', 'web'));
const puppeteer = createRequire(join(source, 'web', 'package.json'))('puppeteer-core');

let bytes = 0;
for (const file of readdirSync(pageDir)) bytes += statSync(join(pageDir, file)).size;
console.log(`folder: ${bytes} bytes (${(bytes / 1048576).toFixed(2)} MiB; target 3 MB)`);

const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const browser = await puppeteer.launch({ executablePath: '/usr/lib/chromium/chromium-headless-shell', headless: 'shell',
  args: ['--no-sandbox', '--disable-gpu'] });
const loads = [];
const edits = {};
for (let run = 0; run < 5; ++run) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 1000 });
  await page.goto(pathToFileURL(join(pageDir, 'index.html')).href);
  await page.waitForSelector('body[data-ready="true"]');
  loads.push(await page.evaluate(() => window.lennardPage.state.firstTable));
  // argon (its Mie model, B alone) and helium (Lennard-Jones with the first quantum correction).
  for (const gas of run === 0 ? ['argon', 'helium'] : []) {
    edits[gas] = await page.evaluate(async (gas) => {
      const field = document.getElementById('gas');
      field.value = gas;
      field.dispatchEvent(new Event('input'));
      const times = [], computed = [];
      const input = document.getElementById('tmax');
      for (let i = 0; i < 40; ++i) {
        input.value = String(Number(input.value) + (i % 2 === 0 ? 10 : -10));
        const start = performance.now();
        input.dispatchEvent(new Event('input'));  // computes, fills the table and hands uPlot the data
        computed.push(performance.now() - start);
        // uPlot draws in a microtask: the next frame shows the new curve.
        await new Promise((done) => requestAnimationFrame(done));
        times.push(performance.now() - start);
      }
      return { times, computed, rows: document.querySelectorAll('#results tbody tr').length };
    }, gas);
  }
  await page.close();
}
await browser.close();
console.log(`first table: median ${median(loads).toFixed(0)} ms, slowest ${Math.max(...loads).toFixed(0)} ms of 5 loads ` +
  '(target 1000 ms)');
for (const [gas, e] of Object.entries(edits)) {
  console.log(`edit of T max to plot, ${gas} (${e.rows} rows): computed and drawn in median ${median(e.computed).toFixed(1)} ` +
    `ms (slowest ${Math.max(...e.computed).toFixed(1)} ms); on screen at the next frame, median ` +
    `${median(e.times).toFixed(1)} ms, slowest ${Math.max(...e.times).toFixed(1)} ms of ${e.times.length} edits (target 100 ms)`);
}
