// The web checker's page: sends the orders to /api/check and shows the
// answer. Every text from the orders or the answer is put into the page as
// text (textContent), never as markup.
'use strict';

(function () {
  const $ = (id) => document.getElementById(id);
  const form = $('check-form');
  const game = $('game');
  const orders = $('orders');
  const file = $('file');
  const status = $('status');
  const result = $('result');

  // The chosen file's bytes while the text area still shows that file
  // unchanged and the file is not UTF-8; null otherwise.
  let fileBytes = null;
  let fileName = '';
  let lastAnswer = null;

  function say(text, fault) {
    status.textContent = text;
    status.classList.toggle('fault', Boolean(fault));
  }

  function bytesToBase64(bytes) {
    let text = '';
    for (let i = 0; i < bytes.length; i += 0x8000) {
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    }
    return btoa(text);
  }

  function base64ToBytes(text) {
    const binary = atob(text);
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
    return bytes;
  }

  // Each byte as one character, so that byte columns are character columns.
  function bytesAsText(bytes) {
    return new TextDecoder('windows-1252').decode(bytes);
  }

  // The offset in the text area of a 1-based line and byte column.
  function offsetOf(text, line, byteColumn, asBytes) {
    let start = 0;
    for (let n = 1; n < line; n++) {
      const next = text.indexOf('\n', start);
      if (next < 0) return text.length;
      start = next + 1;
    }
    let end = text.indexOf('\n', start);
    if (end < 0) end = text.length;
    const lineText = text.slice(start, end);
    if (asBytes) return start + Math.min(byteColumn - 1, lineText.length);
    let bytes = 0;
    let i = 0;
    while (i < lineText.length && bytes < byteColumn - 1) {
      const code = lineText.codePointAt(i);
      bytes += code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
      i += code >= 0x10000 ? 2 : 1;
    }
    return start + i;
  }

  // Selects the finding's field in the text area.
  function selectField(finding) {
    const text = orders.value;
    const asBytes = fileBytes !== null;
    const start = offsetOf(text, finding.line, finding.column, asBytes);
    let end;
    if (typeof finding.end_column === 'number' && finding.end_column > finding.column) {
      end = offsetOf(text, finding.line, finding.end_column, asBytes);
    } else {
      end = start;
      while (end < text.length && !/\s/.test(text[end])) end++;
    }
    orders.focus();
    orders.setSelectionRange(start, end);
    const style = getComputedStyle(orders);
    const lineHeight = parseFloat(style.lineHeight) || parseFloat(style.fontSize) * 1.3;
    orders.scrollTop = Math.max(0, (finding.line - 3) * lineHeight);
    say('Line ' + finding.line + ', column ' + finding.column + ' selected in the orders.');
  }

  function plural(count, word) {
    return count + ' ' + word + (count === 1 ? '' : 's');
  }

  function renderFindings(findings) {
    const list = $('findings');
    list.replaceChildren();
    $('no-findings').hidden = findings.length > 0;
    for (const finding of findings) {
      const item = document.createElement('li');
      item.className = finding.severity;
      const button = document.createElement('button');
      button.type = 'button';
      button.className = 'finding';
      const where = document.createElement('span');
      where.className = 'where';
      where.textContent = 'Line ' + finding.line + ', column ' + finding.column + ': ';
      const severity = document.createElement('span');
      severity.className = 'severity';
      severity.textContent = finding.severity + ': ';
      const message = document.createElement('span');
      message.className = 'message';
      message.textContent = finding.message +
          (finding.suggestion ? " (did you mean '" + finding.suggestion + "'?)" : '');
      button.append(where, severity, message);
      button.addEventListener('click', () => selectField(finding));
      item.append(button);
      if (finding.code) {
        const link = document.createElement('a');
        link.href = 'codes#' + encodeURIComponent(finding.code);
        link.textContent = finding.code;
        link.setAttribute('aria-label', 'About ' + finding.code);
        item.append(link);
      }
      list.append(item);
    }
  }

  const checkLine = /^#-*> (ERROR|WARNING|Warning): /;

  // The annotated copy with each check line and the field it points at marked.
  function renderAnnotated(text) {
    const pre = $('annotated');
    pre.replaceChildren();
    const lines = text.split('\n');
    if (lines.length > 0 && lines[lines.length - 1] === '') lines.pop();
    const marks = new Map();  // line index -> [{start, severity}]
    let orderLine = -1;
    lines.forEach((line, index) => {
      const found = checkLine.exec(line);
      if (!found) {
        orderLine = index;
        return;
      }
      if (orderLine < 0) return;
      const severity = found[1] === 'ERROR' ? 'error' : 'warning';
      if (!marks.has(orderLine)) marks.set(orderLine, []);
      marks.get(orderLine).push({start: line.indexOf('>') + 1, severity});
    });
    lines.forEach((line, index) => {
      const found = checkLine.exec(line);
      if (found) {
        const span = document.createElement('span');
        span.className = 'check ' + (found[1] === 'ERROR' ? 'error' : 'warning');
        span.textContent = line;
        pre.append(span, '\n');
        return;
      }
      const fields = (marks.get(index) || []).sort((a, b) => a.start - b.start);
      let at = 0;
      for (const field of fields) {
        if (field.start < at) continue;
        let end = field.start;
        while (end < line.length && !/\s/.test(line[end])) end++;
        pre.append(line.slice(at, Math.min(field.start, line.length)));
        const mark = document.createElement('mark');
        mark.className = field.severity + (end > field.start ? '' : ' missing');
        mark.textContent = line.slice(field.start, end);  // empty for a missing field: shown by the style
        pre.append(mark);
        at = Math.max(end, Math.min(field.start, line.length));
      }
      pre.append(line.slice(at), '\n');
    });
  }

  function annotatedBytes(answer) {
    if (answer.encoding === 'base64') return base64ToBytes(answer.annotated);
    return new TextEncoder().encode(answer.annotated);
  }

  function show(answer) {
    lastAnswer = answer;
    $('counts').textContent = plural(answer.errors, 'error') + ', ' + plural(answer.warnings, 'warning');
    $('encoding-note').hidden = answer.utf8 !== false;
    renderFindings(answer.findings);
    const text = answer.encoding === 'base64' ? bytesAsText(base64ToBytes(answer.annotated)) : answer.annotated;
    renderAnnotated(text);
    result.hidden = false;
    say('Checked: ' + $('counts').textContent + '.');
    $('result-title').focus();
  }

  function request() {
    const number = Number(game.value);
    if (!Number.isInteger(number) || number < 1) return null;
    if (fileBytes !== null) return {game: number, orders: bytesToBase64(fileBytes), encoding: 'base64'};
    return {game: number, orders: orders.value};
  }

  async function check() {
    const body = request();
    if (body === null) {
      say('Please enter the game number (a whole number from 1).', true);
      game.focus();
      return;
    }
    say('Checking…');
    $('check').disabled = true;
    try {
      const response = await fetch('api/check', {
        method: 'POST',
        headers: {'Content-Type': 'application/json'},
        body: JSON.stringify(body),
        credentials: 'omit',
      });
      const answer = await response.json().catch(() => null);
      if (!response.ok || answer === null) {
        say('The check failed: ' + (answer && answer.error ? answer.error : 'status ' + response.status), true);
        return;
      }
      show(answer);
    } catch (fault) {
      say('The server could not be reached: ' + fault.message, true);
    } finally {
      $('check').disabled = false;
    }
  }

  function download() {
    if (lastAnswer === null) return;
    const blob = new Blob([annotatedBytes(lastAnswer)], {type: 'text/plain'});
    const link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    const base = fileName ? fileName.replace(/\.[^.]*$/, '') : 'orders';
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
    parameters.set('game', game.value);
    if (fileBytes !== null) {
      parameters.set('bytes', bytesToBase64(fileBytes));
    } else {
      parameters.set('orders', orders.value);
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
    } catch (fault) {
      $('link').focus();
      $('link').select();
      say('Copy the selected link (the browser did not allow copying it for you).');
    }
  }

  function readFragment() {
    if (location.hash.length < 2) return false;
    const parameters = new URLSearchParams(location.hash.slice(1));
    if (parameters.has('game')) game.value = parameters.get('game');
    if (parameters.has('bytes')) {
      try {
        fileBytes = base64ToBytes(parameters.get('bytes'));
        orders.value = bytesAsText(fileBytes);
      } catch (fault) {
        fileBytes = null;
      }
    } else if (parameters.has('orders')) {
      orders.value = parameters.get('orders');
    }
    return parameters.has('orders') || fileBytes !== null;
  }

  async function loadGames() {
    try {
      const response = await fetch('api/worlds', {credentials: 'omit'});
      const data = await response.json();
      const list = $('games');
      for (const world of data.worlds) {
        for (const number of world.games) {
          const option = document.createElement('option');
          option.value = String(number);
          option.label = world.name ? world.name : 'World ' + world.number;
          list.append(option);
        }
      }
      if (game.value === '') game.value = String(data.game);
    } catch (fault) {
      if (game.value === '') game.value = '1';
    }
  }

  file.addEventListener('change', async () => {
    const chosen = file.files[0];
    if (!chosen) return;
    const bytes = new Uint8Array(await chosen.arrayBuffer());
    fileName = chosen.name;
    try {
      orders.value = new TextDecoder('utf-8', {fatal: true}).decode(bytes);
      fileBytes = null;
    } catch (notUtf8) {
      orders.value = bytesAsText(bytes);
      fileBytes = bytes;
    }
    say('The file ' + chosen.name + ' is in the orders field.');
  });
  orders.addEventListener('input', () => {
    fileBytes = null;
  });
  form.addEventListener('submit', (event) => {
    event.preventDefault();
    check();
  });
  $('download').addEventListener('click', download);
  $('copy-link').addEventListener('click', copyLink);

  const fromLink = readFragment();
  loadGames().then(() => {
    if (fromLink) check();
  });
})();
