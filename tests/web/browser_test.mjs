// The page in a real browser (Debian's chromium-headless-shell, driven by
// puppeteer-core from web/node_modules), against the real program.
// Usage: node browser_test.mjs LENNARD_EXE PAGE_DIR SCREENSHOT_DIR
// Exits 77 (skipped) without a browser, puppeteer-core or the built page.
import { spawnSync } from 'node:child_process';
import { existsSync, mkdirSync, realpathSync } from 'node:fs';
import { createRequire } from 'node:module';
import { dirname, join } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const [lennardExe, pageDir, shotDir] = process.argv.slice(2);
const skip = (why) => {
  console.log('skipped: ' + why);
  process.exit(77);
};

const browserPath = [process.env.LENNARD_BROWSER, '/usr/lib/chromium/chromium-headless-shell', '/usr/bin/chromium-headless-shell']
  .find((p) => p && existsSync(p));
if (!browserPath) skip('no chromium-headless-shell (apt-get install chromium-headless-shell)');
const webSource = join(dirname(fileURLToPath(import.meta.url)), '..', '..', 'web');
let puppeteer;
try {
  puppeteer = createRequire(join(webSource, 'package.json'))('puppeteer-core');
} catch {
  skip('no puppeteer-core (npm ci in web/)');
}
if (!existsSync(join(pageDir, 'index.html')) || !existsSync(join(pageDir, 'lennard.js'))) skip('the page is not built');

// The program's output for these arguments (stdout as bytes, stderr as text).
function program(args) {
  const run = spawnSync(lennardExe, args, { env: Object.assign({}, process.env, { LC_ALL: 'C' }) });
  return { status: run.status, out: run.stdout, err: run.stderr.toString() };
}
function programJson(args) {
  const run = program(args.concat(['-f', 'json', '-o', '-']));
  if (run.status !== 0) throw new Error('lennard ' + args.join(' ') + ': ' + run.err);
  return JSON.parse(run.out.toString());
}

let passed = 0, failed = 0;
async function check(name, body) {
  try {
    await body();
    ++passed;
    console.log('ok   ' + name);
  } catch (error) {
    ++failed;
    console.log('FAIL ' + name + ': ' + (error && error.stack ? error.stack : error));
  }
}
function expect(condition, message) {
  if (!condition) throw new Error(message);
}
// Every number of `got` is the program's to the last bit, or (relative > 0) within that relative difference.
// The page's libm is emscripten's musl, the program's glibc: they agree on log, and on exp, pow and lgamma
// where glibc runs its plain variants, but glibc picks FMA variants of exp, log and pow on processors
// with FMA, and its tgamma, expm1, sin, cos... are other algorithms, so what calls them may differ in
// the last bits (measured: at most some 1e-15 relative).
function sameNumbers(label, got, wanted, relative = 0) {
  expect(got.length === wanted.length, label + ': ' + got.length + ' values, the program has ' + wanted.length);
  // null: a value that does not exist (no gas root), NaN in JavaScript.
  // Relative to the column's largest value: B near the Boyle point is a difference of large terms.
  const scale = Math.max(...wanted.map((w) => (Number.isFinite(w) ? Math.abs(w) : 0)));
  wanted.map((w) => (w === null ? NaN : w)).forEach((w, i) => {
    const close = Object.is(got[i], w) || Math.abs(got[i] - w) <= relative * scale;
    expect(close, label + '[' + i + ']: ' + got[i] + ' vs the program\'s ' + w);
  });
}
// Close to the last bits where the two libms may part.
const LIBM = 1e-13;

mkdirSync(shotDir, { recursive: true });
const browser = await puppeteer.launch({ executablePath: realpathSync(browserPath), headless: 'shell',
  args: ['--no-sandbox', '--disable-gpu'], protocolTimeout: 900000 });
const page = await browser.newPage();
// Bounds that only stop a hung browser, far beyond any machine's speed.
page.setDefaultTimeout(900000);
const pageErrors = [];
page.on('pageerror', (error) => pageErrors.push(error.message));
await page.setViewport({ width: 1280, height: 1100 });
// Offline, and every request other than the page's own files counted.
await page.setOfflineMode(true);
const foreign = [];
await page.setRequestInterception(true);
page.on('request', (request) => {
  const url = request.url();
  if (!url.startsWith('file:') && !url.startsWith('data:')) foreign.push(url);
  request.continue();
});
const url = pathToFileURL(join(pageDir, 'index.html')).href;
await page.goto(url);
await page.waitForSelector('body[data-ready="true"]');

const evaluate = (f, ...args) => page.evaluate(f, ...args);
const tableCells = () => evaluate(() => ({
  keys: Array.from(document.querySelectorAll('#results thead th')).map((th) => th.dataset.key),
  rows: Array.from(document.querySelectorAll('#results tbody tr')).map((tr) => Array.from(tr.cells).map((td) => td.textContent)),
}));
const setInput = (id, value) => evaluate((id, value) => {
  const input = document.getElementById(id);
  if (input.type === 'checkbox') {
    input.checked = value;
    input.dispatchEvent(new Event('change'));
  } else if (input.tagName === 'SELECT') {
    input.value = value;
    input.dispatchEvent(new Event('change'));
  } else {
    input.value = value;
    input.dispatchEvent(new Event('input'));
  }
}, id, value);

await check('loads from file:// with the network off, fetching nothing', async () => {
  expect(url.startsWith('file:'), url);
  expect(foreign.length === 0, 'requested ' + foreign.join(', '));
  expect(pageErrors.length === 0, 'page errors: ' + pageErrors.join('; '));
  expect((await tableCells()).rows.length === 101, 'the first table has no 101 rows');
});

// The API against the program's json: the temperatures are the program's rows, each number compared bit for bit.
const apiCases = [
  { name: 'lj B and dB/dT', args: ['-e', '120', '-s', '3.4', '-m', 'series', '--tmin', '40', '--tmax', '2000', '--derivative'],
    call: (T) => ({ B_cm3_per_mol: lennard.secondVirial(T, { epsilon_K: 120, sigma_A: 3.4, method: 'series' }),
      dB_dT_cm3_per_mol_K: lennard.secondVirial(T, { epsilon_K: 120, sigma_A: 3.4, method: 'series', derivative: true }) }) },
  { name: 'lj by the trapezoid', relative: LIBM, args: ['-e', '33.3', '-s', '2.9', '-m', 'trapezoid', '--tmin', '20', '--tmax', '300'],
    call: (T) => ({ B_cm3_per_mol: lennard.secondVirial(T, { epsilon_K: 33.3, sigma_A: 2.9, method: 'trapezoid' }) }) },
  { name: 'Mie 14-6', relative: LIBM, args: ['-p', 'mie:14,6', '-e', '150', '-s', '3.3', '-m', 'series', '--tmin', '60', '--tmax', '1500'],
    call: (T) => ({ B_cm3_per_mol: lennard.secondVirial(T, { epsilon_K: 150, sigma_A: 3.3, potential: 'mie:14,6' }) }) },
  { name: 'C and dC/dT', relative: LIBM, args: ['-e', '120', '-s', '3.4', '--third', '--derivative', '-m', 'series', '--tmin', '60', '--tmax', '1200', '--step', '95'],
    call: (T) => ({ C_cm6_per_mol2: lennard.thirdVirial(T, { epsilon_K: 120, sigma_A: 3.4 }),
      dC_dT_cm6_per_mol2_K: lennard.thirdVirial(T, { epsilon_K: 120, sigma_A: 3.4, derivative: true }) }) },
  { name: 'a mixture', args: ['--mix', 'argon:0.3,krypton:0.7', '--tmin', '100', '--tmax', '800'],
    call: (T) => ({ B_cm3_per_mol: lennard.mixtureSecondVirial(T, ['argon', 'krypton'], [0.3, 0.7]) }) },
  // The hbar^2 term is a series of Gamma functions, whose last bits differ between the two libms.
  { name: 'neon with its quantum correction', relative: LIBM, args: ['--gas', 'neon', '--quantum', '--tmin', '25', '--tmax', '300'],
    call: (T) => ({ B_cm3_per_mol: lennard.secondVirial(T, { gas: 'neon', quantum: true }) }) },
  { name: 'Z of argon at 50 bar', relative: LIBM, args: ['--gas', 'argon', '--pressure', '50', '--tmin', '160', '--tmax', '700', '--step', '30'],
    call: (T) => ({ Z: lennard.compressibility(T, 50, { gas: 'argon' }).Z, V_cm3_per_mol: lennard.compressibility(T, 50, { gas: 'argon' }).V }) },
  { name: 'Z of helium with the exact quantum B', relative: LIBM, args: ['--gas', 'helium', '--quantum', 'exact', '--pressure', '5', '--tmin', '10', '--tmax', '20', '--step', '10'],
    call: (T) => ({ Z: lennard.compressibility(T, 5, { gas: 'helium', quantum: 'exact' }).Z }) },
];
for (const c of apiCases) {
  await check('window.lennard equals the program\'s json: ' + c.name, async () => {
    const rows = programJson(c.args).rows;
    const T = rows.map((r) => r.T_K);
    const got = await evaluate(new Function('T', 'return (' + c.call.toString() + ')(T);'), T);
    for (const key of Object.keys(got)) sameNumbers(c.name + ' ' + key, got[key], rows.map((r) => r[key]), c.relative);
  });
}

await check('window.lennard: characteristic temperatures and the fit equal the program\'s json', async () => {
  const summary = programJson(['--summary', '-p', 'mie:12,6', '-e', '120', '-s', '3.4']);
  const got = await evaluate(() => lennard.characteristicTemperatures({ epsilon_K: 120, sigma_A: 3.4, potential: 'mie:12,6' }));
  for (const key of ['boyle_temperature_K', 'inversion_temperature_K', 'max_B_temperature_K', 'max_B_cm3_per_mol']) {
    sameNumbers(key, [got[key]], [summary[key]], LIBM);
  }
  const data = join(webSource, '..', 'data', 'second_virial', 'argon.dat');
  const fit = JSON.parse(program(['fit', data, '-f', 'json']).out.toString());
  const T = fit.points.map((p) => p.T_K), B = fit.points.map((p) => p.B_cm3_per_mol);
  const mine = await evaluate((T, B) => lennard.fit(T, B), T, B);
  for (const key of ['epsilon_K', 'epsilon_K_stderr', 'sigma_A', 'sigma_A_stderr', 'chi2', 'rms_cm3_per_mol']) {
    sameNumbers('fit ' + key, [mine[key]], [fit[key]], LIBM);
  }
});

await check('window.lennard throws Errors that name the argument', async () => {
  const cases = [
    [{ epsilon_K: 120, sigma_A: -1 }, 'sigma_A: '],
    [{ gas: 'argonn' }, 'gas: '],
    [{ epsilon_K: 120, sigma_A: 3.4, potential: 'mie:6,12' }, 'potential: '],
    [{ epsilon_K: 120, sigma_A: 3.4, method: 'simpson' }, 'method: '],
    [{ epsilon_K: 120, sigma_A: 3.4, quantum: true }, 'molar_mass_g_per_mol: '],
    [{ gas: 'argon', sigma_A: 3 }, 'gas: '],
  ];
  const messages = await evaluate((cases) => cases.map(([opts]) => {
    try {
      lennard.secondVirial(300, opts);
      return 'no error';
    } catch (error) {
      return (error instanceof Error ? '' : 'not an Error: ') + error.message;
    }
  }), cases);
  cases.forEach(([opts, start], i) => expect(messages[i].startsWith(start), JSON.stringify(opts) + ' -> ' + messages[i]));
});

// The page's csv is the program's, byte for byte, for the command the page shows; with relative > 0
// the header and every temperature are, and the other numbers within it.
async function csvMatchesProgram(label, relative = 0) {
  const { command, href } = await evaluate(() => ({
    command: document.getElementById('command').textContent,
    href: document.getElementById('download-csv').href,
  }));
  const prefix = 'data:text/csv;charset=utf-8,';
  expect(href.startsWith(prefix), label + ': ' + href.slice(0, 40));
  const csv = Buffer.from(decodeURIComponent(href.slice(prefix.length)), 'utf8');
  const args = command.split(' ').slice(1);
  const run = program(args);
  expect(run.status === 0, label + ': ' + command + ' -> ' + run.err);
  if (relative === 0) {
    expect(Buffer.compare(csv, run.out) === 0, label + ': the csv differs from ' + command);
    return;
  }
  const mine = csv.toString().split('\n'), theirs = run.out.toString().split('\n');
  expect(mine.length === theirs.length && mine[0] === theirs[0], label + ': other rows or columns than ' + command);
  for (let i = 1; i < mine.length; ++i) {
    const a = mine[i].split(','), b = theirs[i].split(',');
    expect(a.length === b.length && a[0] === b[0] && a[1] === b[1], label + ': row ' + i + ' ' + mine[i] + ' vs ' + theirs[i]);
  }
  // Column by column, each against its largest value.
  const rows = (lines) => lines.slice(1).filter((line) => line !== '').map((line) => line.split(',').map(Number));
  const a = rows(mine), b = rows(theirs);
  for (let c = 2; c < a[0].length; ++c) sameNumbers(label + ' column ' + c, a.map((r) => r[c]), b.map((r) => r[c]), relative);
}

await check('"Descargar CSV" holds the program\'s bytes', async () => {
  await csvMatchesProgram('argon (its Mie model)', LIBM);
  await setInput('gas', '');
  await setInput('potential', 'lj');
  await setInput('epsilon', '120');
  await setInput('sigma', '3.4');
  await setInput('tmin', '70');
  await setInput('tmax', '700.5');
  await setInput('derivative', true);
  await csvMatchesProgram('lj with dB/dT');
  await setInput('third', true);
  await setInput('with-pressure', true);
  await setInput('pressure', '40');
  await csvMatchesProgram('lj with dB/dT, C and Z', LIBM);
  await setInput('gas', 'neon');
  await setInput('with-pressure', false);
  await setInput('third', false);
  await setInput('quantum', '1');
  await csvMatchesProgram('neon with hbar^2', LIBM);
  await setInput('quantum', '0');
  await setInput('derivative', false);
});

await check('the plot holds the table\'s points', async () => {
  const { keys, rows } = await tableCells();
  const [x, B] = await evaluate(() => window.lennardPage.state.plot.data.slice(0, 2).map((s) => Array.from(s)));
  const iT = keys.indexOf('T_K'), iB = keys.indexOf('B_cm3_per_mol');
  expect(rows.length > 0 && iT >= 0 && iB >= 0, 'no table');
  const onPlot = x.map((T, i) => [T, B[i]]).filter(([, b]) => b !== null);
  sameNumbers('plotted T', onPlot.map(([T]) => T), rows.map((r) => Number(r[iT])));
  sameNumbers('plotted B', onPlot.map(([, b]) => b), rows.map((r) => Number(r[iB])));
});

await check('a refusal shows the program\'s message in #error and keeps the last good table and plot', async () => {
  const sweep = ['--tmin', '70', '--tmax', '700.5', '-m', 'series'];
  const refusals = [
    { good: [['gas', ''], ['potential', 'lj'], ['epsilon', '120'], ['sigma', '3.4'], ['tmin', '70'], ['tmax', '700.5']],
      bad: ['sigma', '-1'], args: ['-e', '120', '--sigma=-1'], english: 'sigma_A: must be positive, got -1' },
    { good: [['sigma', '3.4']], bad: ['gas', 'argonn'], args: ['--gas', 'argonn'], english: "gas: unknown gas 'argonn'" },
  ];
  for (const { good, bad, args, english } of refusals) {
    for (const edit of good) await setInput(...edit);
    const before = await tableCells();
    const plotBefore = await evaluate(() => JSON.stringify(window.lennardPage.state.plot.data));
    await setInput(...bad);
    const shown = await evaluate(() => document.getElementById('error').textContent);
    const said = program(args.concat(sweep)).err.split('\n')[0];
    expect(said.startsWith('Error: '), 'the program did not refuse ' + args.join(' '));
    expect(shown === said, '#error says "' + shown + '", the program "' + said + '"');
    await evaluate(() => document.getElementById('lang').click());
    const inEnglish = await evaluate(() => document.getElementById('error').textContent);
    expect(inEnglish.startsWith('Error: ' + english), 'in English: ' + inEnglish);
    await evaluate(() => document.getElementById('lang').click());
    expect(JSON.stringify(await tableCells()) === JSON.stringify(before), 'the table changed after a refusal');
    expect(await evaluate(() => JSON.stringify(window.lennardPage.state.plot.data)) === plotBefore, 'the plot changed');
    const text = await evaluate(() => document.getElementById('results').textContent);
    expect(!/NaN|Infinity|nan|inf/.test(text), 'the table shows a NaN or an infinity');
  }
  await setInput('gas', 'argon');
  expect(await evaluate(() => document.getElementById('error').hidden), '#error still shown after a good input');
});

// Helium-4 beyond its phase shifts: the page shows the program's warning, and an English one.
await check('the warnings are the program\'s, in both languages', async () => {
  await setInput('gas', 'helium-4');
  await setInput('quantum', 'exact');
  await setInput('tmin', '1400');
  await setInput('tmax', '1500');
  const said = program(['--gas', 'helium-4', '--quantum', 'exact', '--tmin', '1400', '--tmax', '1500', '-o', '-']).err.trim();
  const spanish = await evaluate(() => document.getElementById('warnings').textContent);
  expect(said.includes('B sigue la serie semiclásica') && spanish.includes(said), 'page "' + spanish + '", program "' + said + '"');
  await evaluate(() => document.getElementById('lang').click());
  const english = await evaluate(() => document.getElementById('warnings').textContent);
  await evaluate(() => document.getElementById('lang').click());
  expect(english.includes('B follows the semiclassical series to hbar^4'), 'in English: ' + english);
  await setInput('quantum', '0');
  await setInput('gas', 'argon');
});

await check('the language switch', async () => {
  const read = () => evaluate(() => ({
    lang: document.documentElement.lang,
    button: document.getElementById('lang').textContent,
    title: document.querySelector('h1').textContent,
    download: document.getElementById('download-csv').textContent,
    boyle: document.querySelector('#characteristics dt').textContent,
    keys: Array.from(document.querySelectorAll('#results thead th')).map((th) => th.dataset.key).join(','),
  }));
  const spanish = await read();
  expect(spanish.lang === 'es' && spanish.button === 'English', JSON.stringify(spanish));
  expect(spanish.download === 'Descargar CSV' && spanish.boyle === 'Temperatura de Boyle (B = 0)', JSON.stringify(spanish));
  await evaluate(() => document.getElementById('lang').click());
  const english = await read();
  expect(english.lang === 'en' && english.button === 'Español' && english.title === 'Virial coefficients of a gas',
    JSON.stringify(english));
  expect(english.download === 'Download CSV' && english.boyle === 'Boyle temperature (B = 0)', JSON.stringify(english));
  expect(english.keys === spanish.keys, 'the csv keys changed with the language');
  await page.screenshot({ path: join(shotDir, 'page-en.png') });
  await evaluate(() => document.getElementById('lang').click());
  expect((await read()).lang === 'es', 'back to Spanish');
});

await page.screenshot({ path: join(shotDir, 'page.png'), fullPage: true });
console.log('screenshot: ' + join(shotDir, 'page.png'));
await browser.close();
console.log(passed + ' passed, ' + failed + ' failed');
process.exit(failed === 0 ? 0 : 1);
