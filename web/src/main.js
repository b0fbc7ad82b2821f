// The orders page: the editor, checked by the engine in a Web Worker on every
// change, with the game, the file, the findings, the outline, the annotated
// copy and the check link around it. Every text from the orders or the data
// is put into the page as text (textContent), never as markup.
import {ApiClient} from './apiclient.js';
import {createEditor, addEditing, showFindings, selectFinding, jumpTo, findingText} from './editor.js';
import {readFileBytes, textBytes, bytesAsText, bytesToBase64} from './orderstext.js';
import {readFragment, linkGame} from './link.js';

const codesPage = 'codes.html';
const $ = (id) => document.getElementById(id);
const gameSelect = $('game');
const status = $('status');

// The page's state: the orders are checked as bytes (a file that is not
// UTF-8) or as UTF-8 text.
const orders = {asBytes: false, fileName: ''};
let client = null;
let live = true;  // checks run on every change (not with the server's API)
let editor = null;
let version = 0;
let checking = false;
let again = false;

function say(text, fault) {
  if (status.textContent !== text) status.textContent = text;
  status.classList.toggle('fault', Boolean(fault));
}

function plural(count, word) {
  return count + ' ' + word + (count === 1 ? '' : 's');
}

function game() {
  return gameSelect.value === '' ? 1 : Number(gameSelect.value);
}

// The orders' bytes, made once for each version of the text; text the file's
// encoding cannot hold turns the orders into UTF-8.
let encoded = {version: -1, asBytes: false, bytes: null};
function currentBytes() {
  if (encoded.version === version && encoded.asBytes === orders.asBytes) return encoded.bytes;
  const text = editor.state.doc.toString();
  let bytes = textBytes(text, orders.asBytes);
  if (bytes === null) {
    setBytesMode(false);
    bytes = textBytes(text, false);
  }
  encoded = {version, asBytes: orders.asBytes, bytes};
  return bytes;
}

function setBytesMode(asBytes) {
  orders.asBytes = asBytes;
  $('encoding-note').hidden = !asBytes;
}

// Makes `list`'s children the elements of `entries` (each under its key),
// keeping every element whose key it already shows where it is: a keystroke
// that adds or takes away one finding touches one element, not the list.
function syncList(list, entries, keyOf, make) {
  const seen = new Map();
  const keys = entries.map((entry) => {
    const key = keyOf(entry);
    const count = (seen.get(key) || 0) + 1;
    seen.set(key, count);
    return count === 1 ? key : key + '#' + count;
  });
  const kept = new Map([...list.children].map((element) => [element.dataset.key, element]));
  let at = list.firstElementChild;
  entries.forEach((entry, index) => {
    let element = kept.get(keys[index]);
    if (element) {
      kept.delete(keys[index]);
    } else {
      element = make(entry);
      element.dataset.key = keys[index];
    }
    if (element === at) {
      at = at.nextElementSibling;
    } else {
      list.insertBefore(element, at);
    }
  });
  for (const element of kept.values()) element.remove();
}

function findingItem(finding, asBytes) {
  const item = document.createElement('li');
  item.className = finding.severity;
  const button = document.createElement('button');
  button.type = 'button';
  button.className = 'finding';
  const column = asBytes ? finding.column : finding.char_column;  // as the player counts them
  button.textContent = 'Line ' + finding.line + ', column ' + column + ': ' + finding.severity + ': ' +
      findingText(finding);
  button.addEventListener('click', () => selectFinding(editor, finding, asBytes));
  item.append(button);
  if (finding.code) {
    const link = document.createElement('a');
    link.href = codesPage + '#' + encodeURIComponent(finding.code);
    link.textContent = finding.code;
    link.setAttribute('aria-label', 'About ' + finding.code);
    item.append(link);
  }
  return item;
}

function renderFindings(findings, asBytes) {
  syncList($('findings'), findings, (finding) => JSON.stringify([asBytes, finding]),
           (finding) => findingItem(finding, asBytes));
  $('no-findings').hidden = findings.length > 0;
}

// The outline's entries go into the list's elements in place: an element is
// made only for an entry that had none, and a text or place is written only
// where it changed, so that an edit that moves the lines costs little.
function fillOutline(list, entries) {
  while (list.children.length > entries.length) list.lastElementChild.remove();
  entries.forEach((entry, at) => {
    let element = list.children[at];
    if (!element) {
      element = document.createElement('li');
      const button = document.createElement('button');
      button.type = 'button';
      element.append(button);
      list.append(element);
    }
    const button = element.firstElementChild;
    const place = entry.line + ':' + (entry.utf16_column || 1);
    if (button.textContent !== entry.name) button.textContent = entry.name;
    if (button.dataset.place !== place) {
      button.dataset.place = place;
      button.title = 'Line ' + entry.line;
    }
    const children = entry.children || [];
    let inner = element.children[1];
    if (children.length > 0) {
      if (!inner) {
        inner = document.createElement('ul');
        element.append(inner);
      }
      fillOutline(inner, children);
    } else if (inner) {
      inner.remove();
    }
  });
}

function renderOutline(entries) {
  fillOutline($('outline'), entries);
  $('outline-area').hidden = entries.length === 0;
}

$('outline').addEventListener('click', (event) => {
  const button = event.target.closest('button');
  if (!button || !button.dataset.place) return;
  const [line, column] = button.dataset.place.split(':').map(Number);
  jumpTo(editor, line, column);
});

// The annotated copy is made only while it is shown, and for a download.
function wantsCopy() {
  return $('annotated-box').open;
}

function renderAnnotated(result, asBytes) {
  const bytes = result.annotated;
  $('annotated').textContent = asBytes ? bytesAsText(bytes) : new TextDecoder().decode(bytes);
}

// The lists below the editor are rebuilt only when what they show changed,
// and after the marks and the counts, when the browser has time.
// Each list is compared apart: a keystroke that changes the findings mostly
// leaves the outline as it was.
const listed = {findings: '', outline: ''};  // what the lists show ('' unknown)
let latestLists = null;
const later = window.requestIdleCallback || ((task) => setTimeout(task, 0));

function showLists(result, asBytes, findingsKey) {
  const wanted = {findings: findingsKey, outline: result.outline};
  latestLists = wanted;
  if (wanted.findings === listed.findings && wanted.outline === listed.outline) return;
  later(() => {
    if (latestLists !== wanted) return;  // a newer check came first
    if (listed.findings !== wanted.findings) renderFindings(result.findings, asBytes);
    if (listed.outline !== wanted.outline) renderOutline(JSON.parse(wanted.outline));
    Object.assign(listed, wanted);
  }, {timeout: 200});
}

// The findings the editor's marks show, as JSON text, and the version of the
// text they were set for: marks already set for this version are left alone.
let marked = {version: -1, findings: ''};
const findingsKey = (asBytes, findings) => JSON.stringify([asBytes, findings]);

function show(result, asBytes, withCopy) {
  const findings = findingsKey(asBytes, result.findings);
  if (marked.version !== version || marked.findings !== findings) {
    showFindings(editor, result.findings, asBytes, codesPage);
    marked = {version, findings};
  }
  const counts = plural(result.errors, 'error') + ', ' + plural(result.warnings, 'warning');
  $('counts').textContent = '(' + counts + ')';
  $('download').disabled = !result.checked;  // the copy of a check that stopped early is incomplete
  if (!result.checked) {
    say('The check stopped early: ' + result.reason, true);
  } else {
    say('Checked: ' + counts + '.');
  }
  showLists(result, asBytes, findings);
  if (withCopy) renderAnnotated(result, asBytes);
}

// An empty editor is not checked (the engine would call it a file without
// orders): it shows nothing to correct.
function showEmpty() {
  showFindings(editor, [], false, codesPage);
  marked = {version: -1, findings: ''};
  $('counts').textContent = '';
  $('download').disabled = true;
  listed.findings = listed.outline = '';
  latestLists = null;
  renderFindings([], false);
  $('no-findings').hidden = true;
  renderOutline([]);
  $('annotated').textContent = '';
  say(live ? 'Ready: your orders are checked as you type.' : 'Ready: press Check to check your orders.');
}

// The check boot.js began for a check link's orders: it answers the first
// check of the same bytes for the same game, if no copy is wanted.
let early = null;
function earlyCheck(bytes, game, withCopy) {
  const first = early;
  early = null;
  if (!first || withCopy || first.game !== game || first.bytes.length !== bytes.length ||
      !first.bytes.every((byte, at) => byte === bytes[at])) {
    return null;
  }
  return first.result;
}

// One check at a time; changes made meanwhile are checked when it answers.
async function check() {
  if (client === null || editor === null) return;
  if (editor.state.doc.length === 0) {
    showEmpty();
    return;
  }
  if (checking) {
    again = true;
    return;
  }
  checking = true;
  const asked = version;
  const bytes = currentBytes();  // first: it may turn the orders into UTF-8
  const asBytes = orders.asBytes;
  const withCopy = wantsCopy();
  try {
    const result = await (earlyCheck(bytes, game(), withCopy) || client.check(bytes, game(), withCopy));
    if (asked === version) show(result, asBytes, withCopy);
  } catch (fault) {
    say('The check failed: ' + fault.message, true);
  } finally {
    checking = false;
  }
  if (again || asked !== version) {
    again = false;
    if (live) check();
  }
}

const services = {
  changed() {
    version++;
    if (live) check();
  },
  // Completion and hover where the checker runs in the page (the server's API offers neither).
  complete(line, column) {
    if (client === null || !live) return Promise.resolve(null);
    const bytes = currentBytes();
    const asBytes = orders.asBytes;
    return client.complete(bytes, game(), line, column, asBytes).then((answer) => ({...answer, asBytes}), () => null);
  },
  hover(line, column) {
    if (client === null || !live) return Promise.resolve(null);
    const bytes = currentBytes();
    const asBytes = orders.asBytes;
    return client.hover(bytes, game(), line, column, asBytes).then((answer) => answer && {...answer, asBytes},
                                                                    () => null);
  },
};

function setOrders(text, asBytes) {
  setBytesMode(asBytes);
  editor.dispatch({changes: {from: 0, to: editor.state.doc.length, insert: text}});
}

async function openFile(file) {
  const bytes = new Uint8Array(await file.arrayBuffer());
  const read = readFileBytes(bytes);
  orders.fileName = file.name;
  setOrders(read.text, read.asBytes);
  say('The file ' + file.name + ' is in the editor.');
}

async function download() {
  if (client === null) return;
  let result;
  try {
    result = await client.check(currentBytes(), game(), true);
  } catch (fault) {
    say('The check failed: ' + fault.message, true);
    return;
  }
  if (!result.checked) {
    say('The check stopped early, so there is no annotated copy: ' + result.reason, true);
    return;
  }
  const blob = new Blob([result.annotated], {type: 'text/plain'});
  const link = document.createElement('a');
  link.href = URL.createObjectURL(blob);
  const base = orders.fileName ? orders.fileName.replace(/\.[^.]*$/, '') : 'orders';
  link.download = base + '.checked.txt';
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  say('The annotated copy was downloaded as ' + link.download + '.');
}

// The check as a link: game and orders in the fragment, which browsers never send.
function shareLink() {
  const parameters = new URLSearchParams();
  parameters.set('game', String(game()));
  if (orders.asBytes) {
    parameters.set('bytes', bytesToBase64(currentBytes()));
  } else {
    parameters.set('orders', editor.state.doc.toString());
  }
  return location.origin + location.pathname + '#' + parameters.toString();
}

async function copyLink() {
  const link = shareLink();
  $('link').value = link;
  $('link-field').hidden = false;
  try {
    await navigator.clipboard.writeText(link);
    say('The link is copied. Whoever opens it sees this check.');
  } catch (refused) {
    $('link').focus();
    $('link').select();
    say('Copy the selected link (the browser did not allow copying it for you).');
  }
}

function fillGames(worlds, wanted) {
  const numbers = [];
  for (const world of worlds) {
    for (const number of world.games) {
      if (numbers.includes(number)) continue;  // the first world that lists a game is its world
      const option = document.createElement('option');
      option.value = String(number);
      option.textContent = 'Game ' + number + ' (' + (world.name || 'world ' + world.number) + ')';
      gameSelect.append(option);
      numbers.push(number);
    }
  }
  const fallback = numbers.includes(1) || numbers.length === 0 ? 1 : numbers[0];
  const chosen = linkGame(wanted) ?? fallback;
  if (!numbers.includes(chosen)) {
    const option = document.createElement('option');
    option.value = String(chosen);
    option.textContent = 'Game ' + chosen + ' (no world of this data)';
    gameSelect.prepend(option);
  }
  gameSelect.value = String(chosen);
}

// The checker boot.js started, or the server's API where it could not start one.
function startClient() {
  if (window.vyrChecker) {
    early = window.vyrChecker.first;
    return window.vyrChecker;
  }
  live = false;
  $('check').hidden = false;
  const api = new ApiClient();
  return {client: api, worlds: api.worlds()};
}

async function start() {
  const wanted = readFragment(location.hash);
  const started = startClient();
  client = started.client;
  // A check link's orders appear with their marks: the editor is made when
  // the check boot.js began has answered, with them.
  const first = early && await early.result.catch(() => null);
  const marks = first && {findings: first.findings, asBytes: wanted.asBytes, codesPage};
  editor = createEditor($('editor'), services, wanted.text, marks);
  if (marks) marked = {version, findings: findingsKey(wanted.asBytes, first.findings)};
  setBytesMode(wanted.asBytes);
  // With no orders to show checked, the page is ready when the editor is whole.
  const editing = addEditing(editor).catch((fault) => {
    say('The editor\'s completion and undo could not be loaded: ' + fault.message, true);
  });
  try {
    fillGames(await started.worlds, wanted.game);
    if (editor.state.doc.length === 0) await editing;
  } catch (fault) {
    client = null;
    say('The checker could not start: ' + fault.message, true);
    return;
  }
  say(live ? 'Ready: your orders are checked as you type.' : 'Ready: press Check to check your orders.');
  check();
}

$('file').addEventListener('change', () => {
  if ($('file').files[0]) openFile($('file').files[0]);
});
// A file dropped anywhere on the page, the editor included, becomes the orders
// (caught before the editor, which would insert its text at the drop point).
document.addEventListener('dragover', (event) => event.preventDefault());
document.addEventListener('drop', (event) => {
  const file = event.dataTransfer && event.dataTransfer.files[0];
  event.preventDefault();
  if (!file) return;
  event.stopPropagation();
  openFile(file);
}, true);
gameSelect.addEventListener('change', () => check());
$('check').addEventListener('click', () => check());
$('download').addEventListener('click', download);
$('copy-link').addEventListener('click', copyLink);
$('annotated-box').addEventListener('toggle', () => {
  if (wantsCopy()) check();
});

start();
