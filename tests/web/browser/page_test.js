// The orders page in a real browser: Debian's chromium, headless, driven by
// playwright-core, against the static site of build/web.
//
// First served by a small server of this test that sends the headers
// doc/web.md tells a server to send: orders typed key by key get their marks,
// the marks move with the text, no request leaves the page while typing,
// hovering a mark shows its message, the finding list selects fields, the
// download is VyrSyn's output byte for byte, a file that is not UTF-8 is
// checked as bytes, a check link repeats the check, and a <script> in the
// orders stays text. Then the site is served as doc/web.md prints it, by
// Python's http.server, with a game's own archive put beside it by the vyrpack
// line printed there.
//
//   node page_test.js SITE_DIR VYRSYN VYRPACK ARCHIVE ORDERS_FILE SOURCE_DIR
'use strict';

const {chromium} = require('playwright-core');
const {spawn, execFileSync} = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');

const [site, vyrsyn, vyrpack, archive, ordersFile, sourceDir] = process.argv.slice(2).map((arg) => path.resolve(arg));


const results = [];
const cleanups = [];
const tmp = fs.mkdtempSync(path.join(os.tmpdir(), 'vyrweb-page-'));
cleanups.push(() => fs.rmSync(tmp, {recursive: true, force: true}));

function check(name, condition, detail) {
  results.push({name, ok: Boolean(condition)});
  console.log((condition ? 'ok     ' : 'FAILED ') + name + (condition || detail === undefined ? '' : ': ' + detail));
}

function skip(name, reason) {
  results.push({name, skipped: true});
  console.log('skip   ' + name + ': ' + reason);
}

function firstDifference(a, b) {
  let i = 0;
  while (i < a.length && a[i] === b[i]) i++;
  return 'at ' + i + ': ' + JSON.stringify(String(a.slice(i, i + 60))) + ' against ' +
      JSON.stringify(String(b.slice(i, i + 60)));
}

// VyrSyn's output for the bytes, checked as standard input.
function vyrsynOutput(bytes, game, dataArchive) {
  const work = fs.mkdtempSync(path.join(tmp, 'vyrsyn-'));
  fs.copyFileSync(vyrsyn, path.join(work, 'VyrSyn'));
  fs.chmodSync(path.join(work, 'VyrSyn'), 0o755);
  fs.copyFileSync(dataArchive || archive, path.join(work, 'syntax.dat'));
  return execFileSync(path.join(work, 'VyrSyn'), [String(game)], {input: bytes, stdio: ['pipe', 'pipe', 'ignore']});
}

// The field each error check line of VyrSyn's output points at (from the
// byte after its ">" up to the next space of the order line above it; ''
// for a missing one), sorted.
function errorFields(output) {
  const fields = [];
  let order = '';
  for (const line of output.toString('latin1').split('\n')) {  // a character for each byte
    const found = /^#(-*)> ERROR: /.exec(line);
    if (!found) {
      if (!line.startsWith('#>')) order = line;
      continue;
    }
    fields.push(Buffer.from(/^\S*/.exec(order.slice(found[1].length + 2))[0], 'latin1').toString('utf8'));
  }
  return fields.sort();
}

function checkLines(output, pattern) {
  return output.toString('latin1').split('\n').filter((line) => pattern.test(line)).length;
}

// The fenced blocks of doc/web.md, in order.
function documentBlocks() {
  const text = fs.readFileSync(path.join(sourceDir, 'doc/web.md'), 'utf8');
  return [...text.matchAll(/^```\n([\s\S]*?)^```$/gm)].map((found) => found[1]);
}

const types = {'.html': 'text/html; charset=utf-8', '.css': 'text/css; charset=utf-8', '.js': 'text/javascript',
               '.wasm': 'application/wasm', '.dat': 'application/octet-stream', '.svg': 'image/svg+xml'};

// Serves the site with the headers doc/web.md names (and the content types
// of `types`, or of `ownTypes`); answers its address.
function serveWithHeaders(ownTypes) {
  const block = documentBlocks().find((text) => text.startsWith('Content-Security-Policy:'));
  const headers = block.trim().split('\n').map((line) => [line.slice(0, line.indexOf(':')),
                                                          line.slice(line.indexOf(':') + 1).trim()]);
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname).replace(/^\/$/, '/index.html');
    const file = path.join(site, path.normalize(name));
    if (!file.startsWith(site + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404, Object.fromEntries(headers));
      response.end('not found');
      return;
    }
    response.writeHead(200, {...Object.fromEntries(headers),
                             'Content-Type': (ownTypes || types)[path.extname(file)] || 'application/octet-stream'});
    response.end(fs.readFileSync(file));
  });
  cleanups.push(() => server.close());
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () =>
    resolve({base: 'http://127.0.0.1:' + server.address().port + '/', headers})));
}

// Runs a command line of doc/web.md in `cwd` as a shell would.
function runRecipe(line, cwd) {
  // Python keeps a pipe's output until its buffer fills: unbuffered, its
  // "Serving HTTP on ..." line arrives when it is printed.
  const env = {...process.env, PYTHONUNBUFFERED: '1'};
  return spawn('bash', ['-c', 'exec ' + line], {cwd, env, stdio: ['ignore', 'pipe', 'pipe']});
}

async function waitForChecked(page, pattern) {
  await page.waitForFunction((source) => new RegExp(source).test(document.getElementById('status').textContent),
                             (pattern || /^Checked: /).source, {timeout: 30000});
}

function marks(page, severity) {
  return page.locator('.cm-lintRange-' + severity + ', .cm-lintPoint-' + severity);
}

async function waitForMarks(page, severity, count) {
  await page.waitForFunction(([selector, wanted]) => {
    const editor = document.getElementById('editor').shadowRoot;
    return editor.querySelectorAll(selector).length === wanted;
  }, ['.cm-lintRange-' + severity + ', .cm-lintPoint-' + severity, count], {timeout: 30000}).catch(() => {});
}

// The orders of the page's check link: what the editor holds. The editor
// keeps the focus and its selection.
async function editorText(page) {
  await page.click('#copy-link');
  const link = await page.inputValue('#link');
  await page.locator('.cm-content').focus();
  const parameters = new URLSearchParams(link.slice(link.indexOf('#') + 1));
  const bytes = parameters.has('bytes') ? Buffer.from(parameters.get('bytes'), 'base64')
                                        : Buffer.from(parameters.get('orders') || '', 'utf8');
  return {link, text: parameters.get('orders'), bytes};
}

async function download(page, name) {
  const [saved] = await Promise.all([page.waitForEvent('download'), page.click('#download')]);
  const file = path.join(tmp, name);
  await saved.saveAs(file);
  return {bytes: fs.readFileSync(file), name: saved.suggestedFilename()};
}

async function typingAndMarks(page, requests, dialogs) {
  const scriptLine = 'RENAME <script>window.vyrPwned=1</script><img src=x onerror="alert(2)">';
  const typed = fs.readFileSync(ordersFile, 'utf8').split('\n').filter((line) => !line.startsWith('#>'))
      .map((line) => line.trimStart()).slice(0, 12);
  typed.splice(3, 0, scriptLine);
  typed.push('SHIRE 12,3', 'RECRUIT 40 Pikmen');
  const before = requests.length;
  await page.click('#editor');
  await page.keyboard.type(typed.join('\n'));
  const expected = vyrsynOutput(Buffer.from(typed.join('\n')), 1);
  const errors = checkLines(expected, /^#-*> ERROR: /);
  await waitForMarks(page, 'error', errors);
  check('typed orders get a mark for each error', await marks(page, 'error').count() === errors,
        (await marks(page, 'error').count()) + ' marks, ' + errors + ' errors');
  const marked = (await marks(page, 'error').allTextContents()).sort();
  check('each mark covers the field VyrSyn points at', JSON.stringify(marked) ===
        JSON.stringify(errorFields(expected)), JSON.stringify([marked, errorFields(expected)]));
  check('no request leaves the page while typing', requests.length === before,
        requests.slice(before).join(', '));
  check('the counts are VyrSyn\'s', (await page.textContent('#counts')).includes(
      checkLines(expected, /^#-*> ERROR/) + ' error'), await page.textContent('#counts'));
  const {text} = await editorText(page);
  check('the editor holds the orders typed', text === typed.join('\n'), firstDifference(text, typed.join('\n')));

  check('a <script> in the orders runs nothing',
        await page.evaluate(() => window.vyrPwned === undefined) && dialogs.length === 0, dialogs.join(', '));
  const elements = await page.locator('#editor script, #editor img[src], #findings script, #findings img')
      .evaluateAll((found) => found.map((element) => element.outerHTML));
  check('no element comes from the orders', elements.length === 0, elements.join(' '));
  check('a <script> in the orders shows as text',
        (await page.locator('.cm-line').allTextContents()).includes(scriptLine));

  // The marks move with the text: a line put on top shifts every mark one line down.
  const markedBefore = await marks(page, 'error').allTextContents();
  const listBefore = await page.locator('#findings li button.finding').allTextContents();
  await page.keyboard.press('Control+Home');
  await page.keyboard.type('; moved down\n');
  const movedTo = 'Line ' + (Number(/^Line (\d+)/.exec(listBefore[0])[1]) + 1) + ',';
  await page.waitForFunction((start) => document.querySelector('#findings li button')?.textContent
      .startsWith(start), movedTo, {timeout: 30000}).catch(() => {});
  const markedAfter = await marks(page, 'error').allTextContents();
  const listAfter = await page.locator('#findings li button.finding').allTextContents();
  check('the marks stay on their fields when the text moves',
        JSON.stringify(markedAfter) === JSON.stringify(markedBefore), JSON.stringify([markedBefore, markedAfter]));
  check('the findings move down one line with the text', listAfter.length === listBefore.length &&
        listAfter.every((item, i) => item === listBefore[i].replace(/^Line (\d+)/, (all, n) => 'Line ' + (+n + 1))),
        JSON.stringify([listBefore[0], listAfter[0]]));
  return typed;
}

async function findingsAndHover(page) {
  // A click on a finding selects its field; typing the suggested name there takes the mark away.
  const item = page.locator('#findings li button.finding', {hasText: 'did you mean'}).first();
  const label = await item.textContent();
  const suggested = /did you mean '([^']*)'/.exec(label)[1];
  const errorsBefore = await marks(page, 'error').count();
  await item.click();
  const selected = await page.evaluate(() => document.getElementById('editor').shadowRoot.getSelection().toString());
  check('a click on a finding selects its field', selected.length > 0 && !/\s/.test(selected), selected);
  await page.keyboard.type(suggested);
  await waitForMarks(page, 'error', errorsBefore - 1);
  check('the mark goes when the field is corrected', await marks(page, 'error').count() === errorsBefore - 1,
        (await marks(page, 'error').count()) + ' marks');

  // Hovering a mark shows the message and the link to its code's entry.
  const first = page.locator('.cm-lintRange-error').first();
  await first.hover();
  const tip = page.locator('.cm-tooltip-lint');
  await tip.waitFor({timeout: 15000}).catch(() => {});
  const tipText = await tip.textContent().catch(() => '');
  const firstFinding = await page.locator('#findings li.error button.finding').first().textContent();
  check('hovering a mark shows its message', tipText !== '' &&
        tipText.includes(firstFinding.replace(/^Line \d+, column \d+: error: /, '')), tipText);
  check('the message links the code\'s entry', (await tip.locator('a').getAttribute('href').catch(() => ''))
      .startsWith('codes.html#'));
  await page.mouse.move(0, 0);
}

async function downloads(page) {
  const {text} = await editorText(page);
  const expected = vyrsynOutput(Buffer.from(text, 'utf8'), 1);
  const saved = await download(page, 'typed.txt');
  check('the download is VyrSyn\'s output byte for byte', Buffer.compare(saved.bytes, expected) === 0,
        firstDifference(saved.bytes, expected));
  check('the download is named after the orders', saved.name === 'orders.checked.txt', saved.name);

  // A file in another encoding is checked as bytes, and stays bytes as it is edited.
  const latin = Buffer.concat([Buffer.from('#VYR Game 1  Ember Company\nRENAME 3rd\nBANISH K', 'latin1'),
                               Buffer.from([0xF6, 0x6E, 0x69, 0x67, 0x0A])]);
  await page.setInputFiles('#file', {name: 'latin.txt', mimeType: 'text/plain', buffer: latin});
  await page.waitForSelector('#encoding-note:not([hidden])');
  await page.waitForFunction(() => /Line 3,/.test(document.getElementById('findings').textContent));
  const latinSaved = await download(page, 'latin.checked.txt');
  check('a file that is not UTF-8 comes back byte for byte as VyrSyn writes it',
        Buffer.compare(latinSaved.bytes, vyrsynOutput(latin, 1)) === 0,
        firstDifference(latinSaved.bytes, vyrsynOutput(latin, 1)));
  check('its copy is named after the file', latinSaved.name === 'latin.checked.txt', latinSaved.name);
  await page.click('#annotated-box summary');
  await page.waitForFunction(() => document.getElementById('annotated').textContent.includes('#VYR'));
  check('the annotated copy is shown as the file\'s characters',
        await page.textContent('#annotated') === vyrsynOutput(latin, 1).toString('latin1'));
  await page.click('#annotated-box summary');
  await page.locator('.cm-content').focus();
  await page.keyboard.press('Control+End');
  await page.keyboard.type('BANISH Ö\n');
  const edited = Buffer.concat([latin, Buffer.from('BANISH \xD6\n', 'latin1')]);
  await page.waitForFunction(() => /Line 4,/.test(document.getElementById('findings').textContent));
  const editedSaved = await download(page, 'edited.checked.txt');
  check('an edited file that is not UTF-8 keeps its encoding',
        Buffer.compare(editedSaved.bytes, vyrsynOutput(edited, 1)) === 0,
        firstDifference(editedSaved.bytes, vyrsynOutput(edited, 1)));
}

async function checkLink(context, page, base, dialogs) {
  // A file dropped onto the editor takes the place of the orders.
  const drop = await page.evaluateHandle(() => {
    const transfer = new DataTransfer();
    transfer.items.add(new File(['BANISH 3\nSTUDY Ice\n'], 'dropped.txt', {type: 'text/plain'}));
    return transfer;
  });
  await page.dispatchEvent('.cm-content', 'drop', {dataTransfer: drop});
  await page.waitForFunction(() => [...document.getElementById('editor').shadowRoot.querySelectorAll('.cm-line')]
      .map((line) => line.textContent).join('\n') === 'BANISH 3\nSTUDY Ice\n').catch(() => {});
  await page.waitForSelector('#encoding-note', {state: 'hidden'}).catch(() => {});
  await page.waitForFunction(() => /Line 2,/.test(document.getElementById('findings').textContent));
  const {link, bytes} = await editorText(page);
  check('a file dropped onto the editor becomes the orders', bytes.toString('latin1') === 'BANISH 3\nSTUDY Ice\n',
        JSON.stringify(bytes.toString('latin1')));
  check('the check link holds the orders after #', link.startsWith(base + '#') && link.includes('orders='), link);
  const second = await context.newPage();
  second.on('dialog', (dialog) => {
    dialogs.push(dialog.message());
    dialog.dismiss();
  });
  const sent = [];
  second.on('request', (request) => sent.push(request.url()));
  await second.goto(link);
  await waitForChecked(second);
  const expected = vyrsynOutput(bytes, 1);
  await waitForMarks(second, 'error', checkLines(expected, /^#-*> ERROR: /));
  check('the check link repeats the check', await marks(second, 'error').count() ===
        checkLines(expected, /^#-*> ERROR: /));
  check('the orders in the link are never sent', sent.every((url) => !url.includes('BANISH')));
  const saved = await download(second, 'link.checked.txt');
  check('the linked check downloads VyrSyn\'s output', Buffer.compare(saved.bytes, expected) === 0);
  await second.close();

  // Fields after characters of two bytes: the first marks count UTF-16 units, as the editor does.
  const wide = 'SHIRE 12,3\nRECRUIT 40 Pikm\u00e9n ; two\nRECRUIT \u00e9 Pikmen\n';
  const third = await context.newPage();
  await third.goto(base + '#game=1&orders=' + encodeURIComponent(wide));
  await waitForChecked(third);
  const wideFields = errorFields(vyrsynOutput(Buffer.from(wide), 1));
  const wideMarked = (await marks(third, 'error').allTextContents()).sort();
  check('a link\'s first marks cover the fields VyrSyn points at', JSON.stringify(wideMarked) ===
        JSON.stringify(wideFields), JSON.stringify([wideMarked, wideFields]));
  await third.close();
}

// The engine's editor services: completion, quick fixes, hover help on a
// command and the outline of SHIRE orders.
async function editorServices(page) {
  const cases = ['a completion is accepted', 'a quick fix takes its mark away', 'hover explains a command',
                 'a click on an outline entry moves to its SHIRE order',
                 'Enter ends the line while the completion list is open'];
  // Typed over the whole marked text (the policy refuses the browser's own
  // editing there, which would keep the marks' look in inline styles).
  await page.click('#editor');
  await page.keyboard.press('Control+a');
  await page.keyboard.type('SHIRE 12,3\nRECR');
  const offered = page.locator('.cm-tooltip-autocomplete li', {hasText: 'RECRUIT'}).first();
  await offered.waitFor();
  await page.keyboard.press('Enter');
  const ended = await editorText(page);
  check(cases[4], ended.text === 'SHIRE 12,3\nRECR\n', JSON.stringify(ended.text));
  await page.keyboard.press('Backspace');
  await page.keyboard.press('Control+Space');
  await offered.click();
  const {text} = await editorText(page);
  check(cases[0], text === 'SHIRE 12,3\nRECRUIT', JSON.stringify(text));

  await page.keyboard.insertText(' 40 Pikmen\n');
  await waitForMarks(page, 'error', 1);
  await page.locator('.cm-lintRange-error').first().hover();
  await page.locator('.cm-tooltip-lint button', {hasText: 'Pikemen'}).click();
  await waitForMarks(page, 'error', 0);
  const fixed = await editorText(page);
  check(cases[1], await marks(page, 'error').count() === 0 && fixed.text.endsWith('RECRUIT 40 Pikemen\n'),
        fixed.text);

  await page.mouse.move(0, 0);
  // On the command word, at the line's start (the line's box is as wide as the editor).
  const box = await page.locator('.cm-line', {hasText: 'RECRUIT'}).boundingBox();
  await page.mouse.move(box.x + 12, box.y + box.height / 2);
  const hover = page.locator('.hover-tip');
  await hover.waitFor({timeout: 15000}).catch(() => {});
  check(cases[2], (await hover.textContent().catch(() => '')).includes('S RECRUIT unitamt unit'));

  // Moved one line down after the outline was shown: the entry follows it.
  await page.locator('#outline button[title="Line 1"]', {hasText: 'SHIRE 12,3'}).waitFor();
  await page.keyboard.press('Control+Home');
  await page.keyboard.type('; top\n');
  await page.keyboard.press('Control+End');
  await page.locator('#outline button[title="Line 2"]', {hasText: 'SHIRE 12,3'}).click();
  const line = await page.evaluate(() => {
    const root = document.getElementById('editor').shadowRoot;
    return root.querySelector('.cm-activeLine')?.textContent;
  });
  check(cases[3], line === 'SHIRE 12,3', line);
}

async function pageWithHeaders(context) {
  const {base, headers} = await serveWithHeaders();
  const page = await context.newPage();
  page.setDefaultTimeout(20000);
  const dialogs = [];
  const requests = [];
  const foreign = [];
  page.on('dialog', (dialog) => {
    dialogs.push(dialog.message());
    dialog.dismiss();
  });
  await context.route('**/*', (route) => {
    const url = route.request().url();
    requests.push(url);
    if (!url.startsWith(base)) foreign.push(url);
    route.continue();
  });
  const failures = [];
  page.on('requestfailed', (request) => failures.push(request.url()));
  page.on('console', (message) => {
    if (message.type() === 'error') failures.push(message.text());
  });

  const response = await page.goto(base);
  check('the page loads', response.status() === 200, response.status());
  check('the server sends the documented policy', headers.some(([name]) => name === 'Content-Security-Policy') &&
        /'wasm-unsafe-eval'/.test(response.headers()['content-security-policy']));
  await waitForChecked(page, /^Ready: /);
  check('an empty editor shows no finding', await page.locator('#findings li').count() === 0 &&
        await page.isDisabled('#download'), await page.textContent('#status'));
  check('the games of the data are offered', await page.locator('#game option').count() > 0 &&
        await page.inputValue('#game') === '1');
  for (const label of ['Game', 'Orders file']) {
    check('the field labelled "' + label + '" exists', await page.getByLabel(label, {exact: true}).count() === 1);
  }
  check('the engine and the data were fetched from the page\'s own site', ['worker.js', 'vyrengine.js',
    'vyrengine.wasm', 'syntax.dat'].every((name) => requests.some((url) => url === base + name)),
        requests.join(', '));

  await typingAndMarks(page, requests, dialogs);
  await findingsAndHover(page);
  await downloads(page);
  await checkLink(context, page, base, dialogs);
  await editorServices(page);

  const guide = await page.goto(base + 'codes.html#unknown-command');
  check('the code guide is a page with an entry for each code', guide.status() === 200 &&
        await page.locator('h2#unknown-command').count() === 1);
  check('nothing failed to load and nothing was refused', failures.length === 0, failures.join(', '));
  check('no foreign address is asked for', foreign.length === 0, foreign.join(', '));
  check('no dialog opened at all', dialogs.length === 0, dialogs.join(', '));
  await context.unroute('**/*');
  await page.close();
}

// A server that sends the engine as any other file: the worker compiles it
// once it has all arrived, and the page checks as before.
async function pageWithPlainTypes(context) {
  const {base} = await serveWithHeaders({...types, '.wasm': 'application/octet-stream'});
  const page = await context.newPage();
  page.setDefaultTimeout(20000);
  const orders = 'BANISH 3\nSTUDY Ice\n';
  await page.goto(base + '#game=1&orders=' + encodeURIComponent(orders));
  await waitForChecked(page, /^Checked: |could not/);
  const expected = checkLines(vyrsynOutput(Buffer.from(orders), 1), /^#-*> ERROR: /);
  check('the engine sent as application/octet-stream still checks', await marks(page, 'error').count() === expected,
        await page.textContent('#status'));
  await page.close();
}

// The site laid out as doc/web.md has it, a game's own data beside the page,
// served by Python as printed there.
async function pageFromPython(context) {
  const blocks = documentBlocks();
  const serve = blocks.find((text) => text.startsWith('python3 -m http.server')).trim();
  const pack = blocks.find((text) => text.includes('vyrpack create')).trim();
  const root = path.join(tmp, 'python');
  fs.mkdirSync(path.join(root, 'build'), {recursive: true});
  fs.cpSync(site, path.join(root, 'build/web'), {recursive: true});
  fs.symlinkSync(vyrpack, path.join(root, 'build/vyrpack'));
  fs.symlinkSync(path.join(sourceDir, 'tests/e2e/data/mini'), path.join(root, 'data'));
  execFileSync('bash', ['-c', pack], {cwd: root, stdio: 'ignore'});
  const gameArchive = path.join(root, 'build/web/syntax.dat');

  const server = runRecipe(serve, root);
  cleanups.push(() => server.kill('SIGTERM'));
  const base = await new Promise((resolve, reject) => {
    let said = '';
    const timer = setTimeout(() => reject(new Error('http.server did not start: ' + said)), 20000);
    server.stdout.on('data', (chunk) => {
      said += chunk;
      const found = /Serving HTTP on 127\.0\.0\.1 port (\d+)/.exec(said);
      if (found) {
        clearTimeout(timer);
        resolve('http://127.0.0.1:' + found[1] + '/');
      }
    });
    server.on('exit', (code) => reject(new Error('http.server ended with ' + code + ': ' + said)));
  });
  const page = await context.newPage();
  page.setDefaultTimeout(20000);
  const foreign = [];
  page.on('request', (request) => {
    if (!request.url().startsWith(base)) foreign.push(request.url());
  });
  await page.goto(base);
  await waitForChecked(page, /^Ready: /);
  const games = await page.locator('#game option').evaluateAll((options) => options.map((o) => o.value));
  check('python\'s http.server serves the page with the game\'s own data',
        games.join(' ') === '1 2 3 7 8', games.join(' '));
  await page.selectOption('#game', '7');
  await page.click('#editor');
  const orders = 'BANISH 3\nSTUDY Ice\n';
  await page.keyboard.type(orders);
  const expected = vyrsynOutput(Buffer.from(orders), 7, gameArchive);
  await waitForMarks(page, 'error', checkLines(expected, /^#-*> ERROR: /));
  check('the page checks with the game\'s own data, as VyrSyn does',
        await marks(page, 'error').count() === checkLines(expected, /^#-*> ERROR: /));
  const saved = await download(page, 'python.checked.txt');
  check('the download from the python-served page is VyrSyn\'s output',
        Buffer.compare(saved.bytes, expected) === 0, firstDifference(saved.bytes, expected));
  check('the python-served page asks for nothing foreign', foreign.length === 0, foreign.join(', '));
  await page.close();
}

async function main() {
  const profile = fs.mkdtempSync(path.join(tmp, 'chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    acceptDownloads: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    timeout: 60000,
  });
  cleanups.unshift(() => context.close().catch(() => {}));
  await pageWithHeaders(context);
  await pageWithPlainTypes(context);
  await pageFromPython(context);
}

main()
  .catch((fault) => check('the browser test ran to its end', false, fault.stack || String(fault)))
  .finally(async () => {
    for (const cleanup of cleanups) await cleanup();
    const failed = results.filter((result) => result.ok === false).length;
    const skipped = results.filter((result) => result.skipped).length;
    console.log((results.length - failed - skipped) + ' passed, ' + failed + ' failed, ' + skipped + ' skipped');
    process.exit(failed === 0 ? 0 : 1);
  });
