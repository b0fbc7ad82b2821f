// The checker for a browser that cannot run WebAssembly: the server's JSON
// API (POST api/check, GET api/worlds), where the page is served by vyrserve.
// Its answers are put in the worker's shapes (protocol.js); the editor
// services have no counterpart there and answer nothing.
import {bytesToBase64, base64ToBytes} from './orderstext.js';

async function ask(path, init) {
  const response = await fetch(path, {credentials: 'omit', ...init});
  const answer = await response.json().catch(() => null);
  if (!response.ok || answer === null) {
    throw new Error(answer && answer.error ? answer.error : 'the server answered ' + response.status);
  }
  return answer;
}

export class ApiClient {
  async load() {
    return {loaded: true};
  }
  async worlds() {
    return (await ask('api/worlds')).worlds;
  }
  async check(bytes, game) {  // the server always makes the annotated copy
    const answer = await ask('api/check', {
      method: 'POST',
      headers: {'Content-Type': 'application/json'},
      body: JSON.stringify({game, orders: bytesToBase64(bytes), encoding: 'base64'}),
    });
    const annotated = answer.encoding === 'base64' ? base64ToBytes(answer.annotated)
                                                    : new TextEncoder().encode(answer.annotated);
    const findings = answer.findings.map((finding) => ({
      ...finding,
      utf16_column: finding.utf16_column || finding.char_column || finding.column,
      end_utf16_column: finding.end_utf16_column || finding.end_char_column || finding.end_column,
      fixes: [],
    }));
    return {checked: true, reason: '', errors: answer.errors, warnings: answer.warnings, findings, outline: '[]',
            annotated};
  }
  async complete() {
    return [];
  }
  async hover() {
    return null;
  }
}
