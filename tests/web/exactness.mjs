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

let loadedArchive = '';
function compare(name, bytes, game, archive) {
  const common = ['--data', archive, '--game', String(game)];
  if (archive !== loadedArchive) {
    try {
      engine.load(fs.readFileSync(archive));
      loadedArchive = archive;
    } catch (refused) {
      // Data that the engine refuses, vyrcheck refuses as well.
      loadedArchive = '';
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

fs.rmSync(tmp, {recursive: true, force: true});
console.log(passed + ' passed, ' + failed + ' failed');
process.exit(failed === 0 && passed > 0 ? 0 : 1);
