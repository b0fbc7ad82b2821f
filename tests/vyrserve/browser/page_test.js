// The web checker's page in a real browser: Debian's chromium, headless,
// driven by playwright-core. Starts vyrserve on a free loopback port, then
// pastes orders, checks, looks at the marks and the findings, clicks a
// finding, downloads the annotated copy, checks a file that is not UTF-8,
// opens a check link, and makes sure a <script> in the orders stays text.
//
//   node page_test.js VYRSERVE VYRSYN ARCHIVE ORDERS_FILE
'use strict';

const {chromium} = require('playwright-core');
const {spawn, execFileSync} = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

const [vyrserve, vyrsyn, archive, ordersFile] = process.argv.slice(2);
const results = [];
let browserContext = null;
let server = null;

function check(name, condition, detail) {
  results.push({name, ok: Boolean(condition)});
  console.log((condition ? 'ok     ' : 'FAILED ') + name + (condition || detail === undefined ? '' : ': ' + detail));
}

function firstDifference(a, b) {
  let i = 0;
  while (i < a.length && a[i] === b[i]) i++;
  return 'at ' + i + ': ' + JSON.stringify(a.slice(i, i + 60)) + ' against ' + JSON.stringify(b.slice(i, i + 60));
}

// VyrSyn's output for the bytes, checked as standard input, game 1.
function vyrsynOutput(bytes) {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'vyrserve-page-'));
  fs.copyFileSync(vyrsyn, path.join(work, 'VyrSyn'));
  fs.chmodSync(path.join(work, 'VyrSyn'), 0o755);
  fs.copyFileSync(archive, path.join(work, 'syntax.dat'));
  const output = execFileSync(path.join(work, 'VyrSyn'), ['1'], {input: bytes, stdio: ['pipe', 'pipe', 'ignore']});
  fs.rmSync(work, {recursive: true, force: true});
  return output;
}

function startServer() {
  return new Promise((resolve, reject) => {
    server = spawn(vyrserve, ['--listen', '127.0.0.1:0', '--data', archive, '--quiet'],
                   {stdio: ['ignore', 'ignore', 'pipe']});
    let said = '';
    const timer = setTimeout(() => reject(new Error('vyrserve did not start: ' + said)), 20000);
    server.stderr.on('data', (chunk) => {
      said += chunk;
      const found = /listening on (http:\/\/127\.0\.0\.1:\d+\/)/.exec(said);
      if (found) {
        clearTimeout(timer);
        resolve(found[1]);
      }
    });
    server.on('exit', (code) => reject(new Error('vyrserve ended with ' + code + ': ' + said)));
  });
}

async function main() {
  const base = await startServer();
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vyrserve-chromium-'));
  const downloads = fs.mkdtempSync(path.join(os.tmpdir(), 'vyrserve-downloads-'));
  browserContext = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    acceptDownloads: true,
    downloadsPath: downloads,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    timeout: 60000,
  });
  const page = browserContext.pages()[0] || await browserContext.newPage();
  page.setDefaultTimeout(15000);
  const dialogs = [];
  const foreign = [];
  page.on('dialog', (dialog) => {
    dialogs.push(dialog.message());
    dialog.dismiss();
  });
  page.on('request', (request) => {
    if (!request.url().startsWith(base) && !request.url().startsWith('blob:')) foreign.push(request.url());
  });

  const response = await page.goto(base);
  check('the page loads', response.status() === 200, response.status());
  check('the page has a script-free content security policy',
        /script-src 'self'/.test(response.headers()['content-security-policy'] || ''));
  // The page asks the server for the worlds after it has loaded: wait for the answer.
  await page.waitForFunction(() => document.getElementById('game').value !== '', null, {timeout: 30000})
      .catch(() => {});
  check('the game number comes from the server', await page.inputValue('#game') === '1');
  for (const label of ['Game number', 'Orders', 'Or choose your orders file']) {
    check('the field labelled "' + label + '" exists', await page.getByLabel(label, {exact: true}).count() === 1);
  }

  // Paste orders with mistakes and a script, and check.
  const scriptLine = 'RENAME <script>window.vyrPwned=1</script><img src=x onerror="alert(2)">';
  const orderLines = fs.readFileSync(ordersFile, 'utf8').split('\n');
  orderLines.splice(2, 0, scriptLine);
  const orders = orderLines.join('\n');
  await page.fill('#orders', orders);
  await page.click('#check');
  await page.waitForSelector('#result:not([hidden])');
  const expected = vyrsynOutput(Buffer.from(orders, 'utf8'));
  const shown = await page.textContent('#annotated');
  check('the annotated copy shows VyrSyn\'s output', shown === expected.toString('utf8'),
        firstDifference(shown, expected.toString('utf8')));
  const errorLines = expected.toString('utf8').split('\n').filter((line) => /^#-*> ERROR: /.test(line)).length;
  check('every error marks its field', await page.locator('#annotated mark.error').count() === errorLines,
        await page.locator('#annotated mark.error').count() + ' marks, ' + errorLines + ' errors');
  check('every check line is marked', await page.locator('#annotated span.check').count() > 0);
  // Notes are findings without a check line.
  const findings = await page.locator('#findings li:not(.note)').count();
  const summary = /^#> Errors (\d+) Warnings (\d+)/.exec(expected.toString('utf8'));
  check('the counts are VyrSyn\'s', await page.textContent('#counts') ===
        summary[1] + ' errors, ' + summary[2] + ' warnings', await page.textContent('#counts'));
  check('the finding list has every check line, besides the notes', findings ===
        expected.toString('utf8').split('\n').filter((line) => /^#-*> /.test(line) && !/^#> Errors/.test(line)).length,
        findings);
  check('a <script> in the orders shows as text', shown.includes('<script>window.vyrPwned=1</script>'));
  check('a <script> in the orders runs nothing',
        await page.evaluate(() => window.vyrPwned === undefined) && dialogs.length === 0, dialogs.join(', '));
  check('no element comes from the orders',
        await page.locator('#annotated script, #annotated img, #findings script, #findings img').count() === 0);

  // A click on a finding selects its field in the text area.
  const lines = orders.split('\n');
  for (const index of [0, 2, findings - 1]) {
    const item = page.locator('#findings li button.finding').nth(index);
    const where = /Line (\d+), column (\d+)/.exec(await item.textContent());
    await item.click();
    const line = lines[Number(where[1]) - 1];
    const start = Number(where[2]) - 1;
    let end = start;
    while (end < line.length && !/\s/.test(line[end])) end++;
    const selected = await page.evaluate(() => {
      const area = document.getElementById('orders');
      return {focused: document.activeElement === area,
              text: area.value.slice(area.selectionStart, area.selectionEnd)};
    });
    check('a click on finding ' + (index + 1) + ' selects "' + line.slice(start, end) + '"',
          selected.focused && selected.text === line.slice(start, end), JSON.stringify(selected));
  }
  const codeLinks = await page.locator('#findings li a').count();
  check('each finding with a code links its entry', codeLinks === 0 ||
        (await page.locator('#findings li a').first().getAttribute('href')).startsWith('codes#'));

  // The download is VyrSyn's output byte for byte.
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#download')]);
  const saved = path.join(downloads, 'annotated.txt');
  await download.saveAs(saved);
  check('the download is VyrSyn\'s output byte for byte', Buffer.compare(fs.readFileSync(saved), expected) === 0);
  check('the download is named after the orders', download.suggestedFilename() === 'orders.checked.txt',
        download.suggestedFilename());

  // A file in another encoding is checked as bytes, and the page says so once.
  const latin = Buffer.concat([Buffer.from('#VYR Game 1  Ember Company\nRENAME 3rd\nBANISH K', 'latin1'),
                               Buffer.from([0xF6, 0x6E, 0x69, 0x67, 0x0A])]);
  await page.setInputFiles('#file', {name: 'latin.txt', mimeType: 'text/plain', buffer: latin});
  await page.waitForFunction(() => document.getElementById('orders').value.includes('BANISH'));
  await page.click('#check');
  await page.waitForSelector('#encoding-note:not([hidden])');
  check('a file that is not UTF-8 is said once', await page.locator('.note:not([hidden])').count() === 1);
  const [latinDownload] = await Promise.all([page.waitForEvent('download'), page.click('#download')]);
  const latinSaved = path.join(downloads, 'latin.checked.txt');
  await latinDownload.saveAs(latinSaved);
  check('a file that is not UTF-8 comes back byte for byte as VyrSyn writes it',
        Buffer.compare(fs.readFileSync(latinSaved), vyrsynOutput(latin)) === 0);

  // A check link repeats the check in a new page, the orders in the fragment only.
  await page.fill('#orders', orders);
  await page.click('#copy-link');
  const link = await page.inputValue('#link');
  check('the check link holds the orders after #', link.startsWith(base + '#') && link.includes('orders='), link);
  const second = await browserContext.newPage();
  second.on('dialog', (dialog) => {
    dialogs.push(dialog.message());
    dialog.dismiss();
  });
  const sent = [];
  second.on('request', (request) => sent.push(request.url()));
  await second.goto(link);
  await second.waitForSelector('#result:not([hidden])');
  check('the check link repeats the check', await second.textContent('#annotated') === expected.toString('utf8'));
  check('the orders in the link are never sent in an address', sent.every((url) => !url.includes('RENAME')));
  check('no foreign address is asked for', foreign.length === 0, foreign.join(', '));
  check('no dialog opened at all', dialogs.length === 0, dialogs.join(', '));

  // The guide page.
  const guide = await second.goto(base + 'codes');
  check('the code guide is a page', guide.status() === 200 && (await second.title()).includes('codes'));
}

main()
  .catch((fault) => check('the browser test ran to its end', false, fault.stack || String(fault)))
  .finally(async () => {
    if (browserContext) await browserContext.close().catch(() => {});
    if (server) server.kill('SIGTERM');
    const failed = results.filter((result) => !result.ok).length;
    console.log((results.length - failed) + ' passed, ' + failed + ' failed');
    process.exit(failed === 0 ? 0 : 1);
  });
