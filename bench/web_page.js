// The orders page's speed and size, in Debian's chromium, headless: the time
// from a keystroke to the marks updated for orders of 300 and 3,000 lines,
// the time from the page's start to its first check on loopback, and the
// bytes the page transfers, plain and compressed.
//
//   node bench/web_page.js [SITE_DIR] [--keys N] [--loads N]
//
// SITE_DIR defaults to build/web; playwright-core comes from the browser
// test's packages (`npm ci` in tests/web/browser). A keystroke is timed from
// its keydown event to the page's status line showing the new counts (the
// marks are set just before it), and to the next animation frame after that
// (the marks drawn). Each keystroke adds or takes away an error, so that every
// one changes what is shown.
//
// Beside the wall times, which on a loaded machine mostly measure waiting for
// a core, a trace gives the processor time of the page's main thread and of
// its worker over one load up to the first check, and per keystroke (the
// completion asked on each included), with keystrokes 150 ms apart.
'use strict';

const path = require('path');
const fs = require('fs');
const http = require('http');
const zlib = require('zlib');
const {execFileSync} = require('child_process');

const root = path.resolve(__dirname, '..');
const {chromium} = require(path.join(root, 'tests/web/browser/node_modules/playwright-core'));
const argv = process.argv.slice(2);
const option = (name, fallback) => (argv.includes(name) ? Number(argv[argv.indexOf(name) + 1]) : fallback);
const site = path.resolve(argv.find((arg, i) => !arg.startsWith('--') && !argv[i - 1]?.startsWith('--')) ||
                          path.join(root, 'build/web'));
const keys = option('--keys', 41);
const loads = option('--loads', 11);

const types = {'.html': 'text/html; charset=utf-8', '.css': 'text/css', '.js': 'text/javascript',
               '.wasm': 'application/wasm', '.dat': 'application/octet-stream', '.svg': 'image/svg+xml'};

function serve() {
  const server = http.createServer((request, response) => {
    const name = new URL(request.url, 'http://x').pathname.replace(/^\/$/, '/index.html');
    const file = path.join(site, path.normalize(name));
    if (!file.startsWith(site + path.sep) || !fs.existsSync(file)) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, {'Content-Type': types[path.extname(file)] || 'application/octet-stream',
                             'Cache-Control': 'no-store'});
    response.end(fs.readFileSync(file));
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () =>
    resolve({server, base: 'http://127.0.0.1:' + server.address().port + '/'})));
}

function quantile(values, q) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
}

const ms = (value) => value.toFixed(1) + ' ms';

// Installed before the page's own script: notes when the status line changes
// (its own text only: the lists' changes are no status) and when each key
// reaches the page, on the page's own clock (a key event's timeStamp, set
// where the key was sent, can run ahead of it).
function watchStatus() {
  window.vyrBench = {changes: [], keys: []};
  window.addEventListener('keydown', () => window.vyrBench.keys.push(performance.now()), true);
  document.addEventListener('DOMContentLoaded', () => {
    const status = document.getElementById('status');
    new MutationObserver(() => {
      const at = performance.now();
      const text = status.textContent;
      requestAnimationFrame(() => window.vyrBench.changes.push({text, at, frame: performance.now()}));
    }).observe(status, {subtree: true, childList: true, characterData: true});
  });
}

// The processor time (ms) of the page's main thread and its worker in a
// trace: the threads of the process that loaded the page's address (the
// browser's own pages have renderers of their own).
function threadTimes(file, base) {
  const events = JSON.parse(fs.readFileSync(file, 'utf8')).traceEvents;
  const names = new Map();
  const pages = new Set();
  for (const event of events) {
    if (event.name === 'thread_name') names.set(event.pid + ':' + event.tid, event.args.name);
    if (String(event.args?.data?.url).startsWith(base)) pages.add(event.pid);
  }
  const times = {main: 0, worker: 0};
  for (const event of events) {
    if (event.ph !== 'X' || event.name !== 'RunTask' || !pages.has(event.pid)) continue;
    const thread = names.get(event.pid + ':' + event.tid);
    if (thread === 'CrRendererMain') times.main += (event.tdur || 0) / 1000;
    if (thread === 'DedicatedWorker thread') times.worker += (event.tdur || 0) / 1000;
  }
  return times;
}

async function traced(browser, page, base, work) {
  const file = path.join(require('os').tmpdir(), 'vyrweb-trace-' + process.pid + '.json');
  await browser.startTracing(page, {path: file, categories: ['devtools.timeline', 'disabled-by-default-devtools.timeline']});
  await work();
  await browser.stopTracing();
  const times = threadTimes(file, base);
  fs.rmSync(file, {force: true});
  return times;
}

// A check link with 300 lines of orders: what the first check shows.
function linkWithOrders(base) {
  const orders = execFileSync('python3', [path.join(root, 'bench/generate_orders.py'), '300']);
  return base + '#game=1&orders=' + encodeURIComponent(orders.toString('utf8'));
}

// Loads the link in a new page and waits for its first check, told by the
// page's console: polling the page from here would run this script's code in
// the page while it starts. Answers the times of the status line and of the
// frame after it (ms since the page's start).
async function loadUntilChecked(page, link) {
  await page.addInitScript(() => {
    document.addEventListener('DOMContentLoaded', () => {
      const status = document.getElementById('status');
      const observer = new MutationObserver(() => {
        if (!status.textContent.startsWith('Checked')) return;
        observer.disconnect();
        const at = performance.now();
        requestAnimationFrame(() => console.log('vyr-bench-checked ' + at + ' ' + performance.now()));
      });
      observer.observe(status, {subtree: true, childList: true, characterData: true});
    });
  });
  const checked = new Promise((resolve) => page.on('console', (message) => {
    if (message.text().startsWith('vyr-bench-checked ')) resolve(message.text().split(' ').slice(1).map(Number));
  }));
  await page.goto(link, {waitUntil: 'commit'});
  const [at, frame] = await checked;
  return {at, frame};
}

async function firstCheck(context, base) {
  const times = [];
  const frames = [];
  for (let i = 0; i < loads; i++) {
    const page = await context.newPage();
    const {at, frame} = await loadUntilChecked(page, linkWithOrders(base));
    times.push(at);
    frames.push(frame);
    await page.close();
  }
  return {times, frames};
}

async function firstCheckCpu(browser, context, base) {
  const page = await context.newPage();
  const times = await traced(browser, page, base, () => loadUntilChecked(page, linkWithOrders(base)));
  await page.close();
  return times;
}

async function keystrokes(browser, context, base, lines) {
  const orders = execFileSync('python3', [path.join(root, 'bench/generate_orders.py'), String(lines)]);
  const page = await context.newPage();
  await page.addInitScript(watchStatus);
  await page.goto(base);
  await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('Ready'));
  await page.setInputFiles('#file', {name: 'orders.txt', mimeType: 'text/plain', buffer: orders});
  await page.waitForFunction(() => {
    const changes = window.vyrBench.changes.map((change) => change.text);
    const opened = changes.findIndex((text) => text.startsWith('The file'));
    return opened >= 0 && changes.slice(opened).some((text) => text.startsWith('Checked'));
  });
  await page.locator('.cm-content').focus();
  await page.keyboard.press('Control+Home');
  await page.keyboard.press('End');
  await page.keyboard.press('Enter');  // an empty line under the header: 'B' there is an unknown command
  await page.waitForTimeout(300);
  const latencies = [];
  const frames = [];
  for (let i = 0; i < keys; i++) {
    const before = await page.evaluate(() => ({changes: window.vyrBench.changes.length,
                                               text: document.getElementById('status').textContent}));
    await page.keyboard.press(i % 2 === 0 ? 'B' : 'Backspace');
    await page.waitForFunction((seen) => window.vyrBench.changes.slice(seen.changes).some(
        (change) => change.text !== seen.text && change.text.startsWith('Checked')), before);
    const timing = await page.evaluate((seen) => {
      const change = window.vyrBench.changes.slice(seen).find((c) => c.text.startsWith('Checked'));
      const key = window.vyrBench.keys[window.vyrBench.keys.length - 1];
      return {marks: change.at - key, frame: change.frame - key};
    }, before.changes);
    latencies.push(timing.marks);
    frames.push(timing.frame);
  }
  // The processor time: keystrokes a fixed time apart, nothing of this
  // script's running in the page meanwhile.
  const cpu = await traced(browser, page, base, async () => {
    for (let i = 0; i < keys; i++) {
      await page.keyboard.press(i % 2 === 0 ? 'B' : 'Backspace');
      await page.waitForTimeout(150);
    }
  });
  await page.close();
  return {latencies, frames, bytes: orders.length, cpu};
}

function transferSizes() {
  const files = ['index.html', 'style.css', 'favicon.svg', 'boot.js', 'page.js', 'shared.js', 'editing.js',
                 'worker.js', 'vyrengine.js', 'vyrengine.wasm', 'syntax.dat'];
  const rows = files.map((name) => {
    const bytes = fs.readFileSync(path.join(site, name));
    return {name, plain: bytes.length, gzip: zlib.gzipSync(bytes, {level: 9}).length,
            brotli: zlib.brotliCompressSync(bytes).length};
  });
  const total = (key) => rows.reduce((sum, row) => sum + row[key], 0);
  rows.push({name: 'total', plain: total('plain'), gzip: total('gzip'), brotli: total('brotli')});
  return rows;
}

async function main() {
  console.log('load average: ' + fs.readFileSync('/proc/loadavg', 'utf8').split(' ').slice(0, 3).join(' '));
  const {server, base} = await serve();
  const browser = await chromium.launch({executablePath: '/usr/bin/chromium', headless: true,
                                         args: ['--no-sandbox', '--disable-gpu']});
  const context = await browser.newContext();
  try {
    const {times: loadsTimes, frames: loadFrames} = await firstCheck(context, base);
    console.log('first check (a link with 300 lines) shown after the page\'s start, ' + loads + ' loads: median ' +
                ms(quantile(loadsTimes, 0.5)) + ', worst ' + ms(Math.max(...loadsTimes)) +
                '; to the next frame median ' + ms(quantile(loadFrames, 0.5)));
    const loadCpu = await firstCheckCpu(browser, context, base);
    console.log('  processor time up to it (one traced load): main thread ' + ms(loadCpu.main) + ', worker ' +
                ms(loadCpu.worker));
    for (const lines of [300, 3000]) {
      const {latencies, frames, bytes, cpu} = await keystrokes(browser, context, base, lines);
      console.log(lines + ' lines (' + bytes + ' bytes), ' + keys + ' keystrokes: to the marks median ' +
                  ms(quantile(latencies, 0.5)) + ', 90th ' + ms(quantile(latencies, 0.9)) + ', worst ' +
                  ms(Math.max(...latencies)) + '; to the next frame median ' + ms(quantile(frames, 0.5)) +
                  ', 90th ' + ms(quantile(frames, 0.9)));
      console.log('  processor time per keystroke: main thread ' + ms(cpu.main / keys) + ', worker ' +
                  ms(cpu.worker / keys));
    }
  } finally {
    await browser.close();
    server.close();
  }
  console.log('file             plain     gzip -9   brotli');
  for (const row of transferSizes()) {
    console.log(row.name.padEnd(16) + String(row.plain).padStart(8) + String(row.gzip).padStart(10) +
                String(row.brotli).padStart(10));
  }
}

main().catch((fault) => {
  console.error(fault.stack || String(fault));
  process.exit(1);
});
