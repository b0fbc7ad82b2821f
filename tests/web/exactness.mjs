// The engine in WebAssembly against the native vyrcheck, byte for byte: for
// every end-to-end case that reaches a check, every example, the fuzzer's
// seeds of orders texts and generated orders files, the same bytes are checked as standard input by both, with
// the same data archive and game number. Compared: the annotated copy with
// `vyrcheck --format annotated`, and the findings and counts, written as
// vyrcheck's JSON lines, with `vyrcheck --format json`. Each finding's UTF-16
// columns must also mark the same text in the line as its byte columns.
//
//   node exactness.mjs SITE_DIR VYRCHECK VYRPACK ARCHIVE SOURCE_DIR
import {createRequire} from 'node:module';
import {execFileSync, spawnSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

const [site, vyrcheck, vyrpack, defaultArchive, sourceDir] = process.argv.slice(2);
const require = createRequire(import.meta.url);
const {engineOver} = await import(path.join(sourceDir, 'web/src/engineapi.js'));
// The module's bytes are handed over: the loader would ask node's fetch for a file path.
const engine = engineOver(await require(path.join(site, 'vyrengine.js'))({
  wasmBinary: fs.readFileSync(path.join(site, 'vyrengine.wasm')), print() {}, printErr() {},
}));
const tmp = fs.mkdtempSync(path.join(os.tmpdir(), 'vyrweb-exact-'));
const casesDir = path.join(sourceDir, 'tests/e2e/cases');
const utf8 = new TextDecoder('utf-8', {fatal: true});
const utf8WithMark = new TextDecoder('utf-8', {fatal: true, ignoreBOM: true});

let passed = 0;
let failed = 0;
function fail(name, what) {
  failed++;
  console.log('FAILED ' + name + ': ' + what);
}

function firstDifference(a, b) {
  let i = 0;
  while (i < a.length && i < b.length && a[i] === b[i]) i++;
  return 'at byte ' + i + ': ' + JSON.stringify(a.subarray(i, i + 60).toString()) + ' against ' +
      JSON.stringify(b.subarray(i, i + 60).toString());
}

// vyrcheck's JSON lines for the wasm engine's answer, as vyrcheck writes them
// (a check that stopped on a fault of the command table counts nothing).
function jsonLines(result) {
  const lines = result.findings.map((finding) => JSON.stringify({
    format: 1, type: 'finding', file: '<stdin>', line: finding.line, column: finding.column,
    end_column: finding.end_column, char_column: finding.char_column, end_char_column: finding.end_char_column,
    severity: finding.severity, code: finding.code, message: finding.message, suggestion: finding.suggestion,
  }));
  const file = {format: 1, type: 'file', file: '<stdin>', checked: result.checked};
  if (!result.checked) file.reason = result.reason;
  const counted = result.checked ? result : {errors: 0, warnings: 0};
  Object.assign(file, {errors: counted.errors, warnings: counted.warnings, unshown: 0});
  lines.push(JSON.stringify(file));
  return lines.join('\n') + '\n';
}

// For text that is UTF-8, the UTF-16 span of a finding is its byte span.
function spansAgree(bytes, result) {
  let text;
  try {
    text = utf8.decode(bytes);
  } catch (notUtf8) {
    return '';
  }
  const lines = text.split('\n');
  for (const finding of result.findings) {
    const line = lines[finding.line - 1];
    if (line === undefined) return 'line ' + finding.line + ' is not in the text';
    const lineBytes = Buffer.from(line, 'utf8');
    const bySpan = line.slice(finding.utf16_column - 1, finding.end_utf16_column - 1);
    const byBytes = lineBytes.subarray(finding.column - 1, finding.end_column - 1).toString('utf8');
    if (bySpan !== byBytes) return 'line ' + finding.line + ': ' + JSON.stringify(bySpan) + ' against ' +
        JSON.stringify(byBytes);
  }
  return '';
}

// Each finding's fix replaces its field by its suggestion (quoted when it
// holds a space), and only a finding with a suggestion has one; each outline
// entry points at its order line's first character, where its name starts.
function servicesAgree(bytes, result) {
  for (const finding of result.findings) {
    const fixes = finding.fixes;
    if (!finding.suggestion) {
      if (fixes.length !== 0) return 'line ' + finding.line + ': a fix without a suggestion';
      continue;
    }
    const wanted = finding.suggestion.includes(' ') ? '"' + finding.suggestion + '"' : finding.suggestion;
    const edit = fixes.length === 1 && fixes[0].edits.length === 1 ? fixes[0].edits[0] : null;
    if (edit === null || edit.text !== wanted || edit.line !== finding.line ||
        fixes[0].title !== "Replace with '" + finding.suggestion + "'" ||
        edit.column !== finding.column || edit.end_column !== finding.end_column ||
        edit.utf16_column !== finding.utf16_column || edit.end_utf16_column !== finding.end_utf16_column) {
      return 'line ' + finding.line + ': the fix ' + JSON.stringify(fixes) + ' for ' + JSON.stringify(finding);
    }
  }
  // The name is only compared for UTF-8 text (the engine names a byte that is
  // not UTF-8 by U+FFFD).
  let text = null;
  try {
    text = utf8WithMark.decode(bytes);
  } catch (notUtf8) {
    text = null;
  }
  const lines = (text === null ? Buffer.from(bytes).toString('latin1') : text).split('\n');
  const entries = result.outline.flatMap((shire) => [shire, ...shire.children]);
  let last = 0;
  for (const entry of entries) {
    const line = lines[entry.line - 1];
    if (line === undefined || entry.line <= last || entry.name === '' || entry.column !== entry.utf16_column ||
        (text !== null && !line.slice(entry.column - 1).startsWith(entry.name)) ||
        line.slice(0, entry.column - 1).trim() !== '') {
      return 'the outline entry ' + JSON.stringify(entry) + ' for ' + JSON.stringify(line);
    }
    last = entry.line;
  }
  return '';
}

let loadedArchive = '';
function compare(name, bytes, game, archive) {
  const common = ['--data', archive, '--game', String(game)];
  if (archive !== loadedArchive) {
    try {
      engine.load(fs.readFileSync(archive));
      loadedArchive = archive;
    } catch (refused) {
      // Data that the engine refuses, vyrcheck refuses as well, and the
      // engine's answer says why.
      loadedArchive = '';
      if (refused instanceof SyntaxError || !refused.message) {
        fail(name, 'the engine refused the data without a reason: ' + refused);
        return;
      }
      const status = spawnSync(vyrcheck, [...common, '-'], {input: bytes}).status;
      if (status === 3) {
        passed++;
        console.log('ok     ' + name + ' (its data refused by both)');
      } else {
        fail(name, 'the engine refused the data (' + refused.message + '), vyrcheck ended with ' + status);
      }
      return;
    }
  }
  const result = engine.check(bytes, game, true);
  const json = spawnSync(vyrcheck, [...common, '--format', 'json', '-'], {input: bytes});
  const outDir = fs.mkdtempSync(path.join(tmp, 'annotated-'));
  spawnSync(vyrcheck, [...common, '--format', 'annotated', '--out-dir', outDir, '-'], {input: bytes});
  const copy = path.join(outDir, 'stdin.txt');
  const expectedAnnotated = fs.existsSync(copy) ? fs.readFileSync(copy) : Buffer.alloc(0);
  // vyrcheck writes no copy of a check that stopped early.
  const annotated = result.checked ? Buffer.from(result.annotated) : Buffer.alloc(0);
  const expectedJson = json.stdout.toString().split('\n').filter((line) => !line.includes('"type":"total"'))
      .join('\n');
  const before = failed;
  if (Buffer.compare(annotated, expectedAnnotated) !== 0) {
    fail(name, 'the annotated copies differ ' + firstDifference(annotated, expectedAnnotated));
  }
  const lines = jsonLines(result);
  if (lines !== expectedJson) {
    fail(name, 'the findings differ ' + firstDifference(Buffer.from(lines), Buffer.from(expectedJson)));
  }
  const spans = spansAgree(bytes, result);
  if (spans) fail(name, 'a UTF-16 span is not the byte span: ' + spans);
  const services = servicesAgree(bytes, result);
  if (services) fail(name, 'a fix or outline entry is misplaced: ' + services);
  if (failed === before) {
    passed++;
    console.log('ok     ' + name);
  }
}

// The game number as VyrSyn reads it: an optional '-' and digits ('-' alone is 0).
function gameOf(argument) {
  if (argument === undefined) return 1;
  if (argument === '-') return 0;
  return /^-?\d+$/.test(argument) ? Number(argument) : null;
}

// The e2e cases: the bytes VyrSyn checks (its input file or standard input)
// with the archive beside it, laid out as the case runner does.
for (const name of fs.readdirSync(casesDir).sort()) {
  const caseDir = path.join(casesDir, name);
  const args = fs.existsSync(path.join(caseDir, 'args'))
      ? fs.readFileSync(path.join(caseDir, 'args'), 'utf8').split('\n').filter((line, i, all) =>
          i < all.length - 1 || line !== '')
      : [];
  const game = gameOf(args[0]);
  if (game === null || args.length > 3 || args.some((arg) => /^(\/\?|-h|--help|help)$/i.test(arg))) continue;
  const root = fs.mkdtempSync(path.join(tmp, name + '-'));
  const [bin, work, stdin] = ['bin', 'work', 'stdin'].map((part) => path.join(root, part));
  fs.mkdirSync(bin);
  fs.mkdirSync(work);
  const laidOut = spawnSync('bash', ['-c', 'source "$1"; place_archive "$2" "$3" "$4" "$5" "$6" && ' +
                                     'lay_out_inputs "$2" "$7" "$8"', 'layout',
                                     path.join(sourceDir, 'tests/e2e/case_layout.sh'), caseDir, bin,
                                     path.join(sourceDir, 'tests/e2e/data'), defaultArchive, vyrpack, work, stdin],
                            {stdio: 'ignore'});
  if (laidOut.status !== 0) continue;
  const input = args[1] === undefined || args[1] === '-' ? stdin : path.join(work, args[1]);
  let bytes;
  try {
    bytes = fs.readFileSync(input);
  } catch (unreadable) {
    continue;  // VyrSyn refuses it before any check
  }
  const archive = path.join(bin, 'syntax.dat');
  compare('e2e.' + name, bytes, game, archive);
}

for (const name of fs.readdirSync(path.join(sourceDir, 'examples')).sort()) {
  compare('examples/' + name, fs.readFileSync(path.join(sourceDir, 'examples', name)), 1, defaultArchive);
}

// The fuzzer's seeds of whole orders texts: NUL bytes, lone carriage returns,
// a byte-order mark, bytes that are not UTF-8, unclosed quotes.
const seeds = path.join(sourceDir, 'fuzz/corpus/fuzz_checkpass');
for (const name of fs.readdirSync(seeds).sort()) {
  compare('fuzz seed ' + name, fs.readFileSync(path.join(seeds, name)), 1, defaultArchive);
}

const generated = [['300 lines', ['300']], ['3,000 lines', ['3000', '--seed', '7']],
                   ['every line faulty', ['400', '--faults', '1', '--seed', '3']],
                   ['many old check lines', ['400', '--old-checks', '0.3', '--seed', '5']]];
for (const [name, args] of generated) {
  const bytes = execFileSync('python3', [path.join(sourceDir, 'bench/generate_orders.py'), ...args]);
  compare('generated: ' + name, bytes, 1, defaultArchive);
}

// The outline and the fixes of a few texts, as the page shows them: each
// SHIRE entry as "line:name" with its orders' entries after it, and each fix
// as "line:column-end:text" (UTF-16 columns).
const services = [
  ['orders under two shires, indented and commented',
   '#VYR 1\nSHIRE 12,3\n  RECRUIT 40 Pikmen\nSHIRE 12,4 ; the hills\n\tRECRUIT 5 Pikemen ; €\n#END\n',
   [['2:SHIRE 12,3', '3:RECRUIT 40 Pikmen'], ['4:SHIRE 12,4', '5:RECRUIT 5 Pikemen']], ['3:14-20:Pikemen']],
  ['names without their comments; lines ended by CR LF', '#VYR 1\r\nSHIRE 12,3 ; €€\r\nRECRUIT 1 Pikmen ; ü\r\n',
   [['2:SHIRE 12,3', '3:RECRUIT 1 Pikmen']], ['3:11-17:Pikemen']],
  ['no SHIRE order, no suggestion', '#VYR 1\nRECRUIT 1 Pikemen\n#END\n', [], []],
];
engine.load(fs.readFileSync(defaultArchive));
for (const [name, text, outline, fixes] of services) {
  const result = engine.check(Buffer.from(text, 'utf8'), 1, false);
  const entry = (place) => place.line + ':' + place.name;
  const shownOutline = result.outline.map((shire) => [entry(shire), ...shire.children.map(entry)]);
  const shownFixes = result.findings.flatMap((finding) => finding.fixes).flatMap((fix) => fix.edits)
      .map((edit) => edit.line + ':' + edit.utf16_column + '-' + edit.end_utf16_column + ':' + edit.text);
  const got = JSON.stringify([shownOutline, shownFixes]);
  if (got === JSON.stringify([outline, fixes])) {
    passed++;
    console.log('ok     services: ' + name);
  } else {
    fail('services: ' + name, got);
  }
}

// Completion and hover at a 1-based UTF-16 column, as the page asks: the span
// each answers ("line:column-end") and what it offers.
const asked = [
  ['completion after one letter', 'R\n', 'complete', 1, 2, '1:1-2',
   (answer) => answer.items.some((item) => item.text === 'RECRUIT')],
  ['completion of a unit after a count', '#VYR 1\nSHIRE 12,3\nRECRUIT 40 Pik\n', 'complete', 3, 15, '3:12-15',
   (answer) => answer.items.some((item) => item.text === 'Pikemen')],
  ['hover on a command after a character of two UTF-16 units', 'RENAME "\u{1F600}"\nRECRUIT 40 Pikemen\n', 'hover',
   2, 3, '2:1-8', (answer) => answer.text.includes('RECRUIT unitamt unit')],
  ['hover on a name past a character of two UTF-16 units', 'RENAME "\u{1F600}" ; x\n', 'hover', 1, 9, '1:8-12',
   (answer) => answer.text !== ''],
];
for (const [name, text, service, line, column, span, offers] of asked) {
  const answer = service === 'complete' ? engine.complete(Buffer.from(text, 'utf8'), 1, line, column, false)
                                        : engine.hover(Buffer.from(text, 'utf8'), 1, line, column, false);
  const place = answer && (service === 'complete' ? answer.replace : answer);
  const got = place ? place.line + ':' + place.utf16_column + '-' + place.end_utf16_column : 'nothing';
  if (got === span && offers(answer)) {
    passed++;
    console.log('ok     ' + service + ': ' + name);
  } else {
    fail(service + ': ' + name, got + ' ' + JSON.stringify(answer).slice(0, 300));
  }
}

fs.rmSync(tmp, {recursive: true, force: true});
console.log(passed + ' passed, ' + failed + ' failed');
process.exit(failed === 0 && passed > 0 ? 0 : 1);
