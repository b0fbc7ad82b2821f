// Every message between the page and its worker. The page asks, the worker
// answers each request with the same id, in the order asked:
//
//   {id, kind: 'load', bytes}                          -> {loaded: true}
//   {id, kind: 'load', url}                            -> {loaded: true}
//   {id, kind: 'worlds'}                               -> [{number, name, games: [N...]}...]
//   {id, kind: 'check', bytes, game, annotated}        -> {checked, reason, errors, warnings,
//                                                          findings: [FINDING...], outline: '[ENTRY...]',
//                                                          annotated: Uint8Array (empty unless asked)}
//   {id, kind: 'complete', bytes, game, line, column, asBytes}  -> {replace: SPAN, items: [ITEM...]}
//   {id, kind: 'hover', bytes, game, line, column, asBytes}     -> HOVER or null
//
// as {id, value} or, when the engine refused, {id, error: 'why'}. `bytes` are
// the orders (or the archive) as a Uint8Array; an archive named by its `url`
// (relative to the worker's script) is fetched by the worker as soon as it is
// asked for, while the engine may still be starting. Lines and columns are
// 1-based, columns in UTF-16 code units of the line (bytes, with asBytes, for
// orders kept as bytes). The outline comes as JSON text: the page compares it with
// the one shown and reads it only when it changed, which for thousands of
// entries costs the page less than receiving them as values.
//
//   FINDING  {line, column, end_column, char_column, end_char_column, utf16_column, end_utf16_column,
//             severity: 'error'|'warning'|'note', code, table, message, suggestion (or null),
//             fixes: [FIX...]}      (column, end_column: bytes; char_...: characters)
//   FIX      {title, edits: [{line, column, end_column, utf16_column, end_utf16_column, text}...]}
//   ENTRY    {name, line, column, utf16_column, children: [ENTRY...]}   a SHIRE order and the orders under it
//   SPAN     {line, column, end_column, utf16_column, end_utf16_column}   (column, end_column: bytes)
//   ITEM     {label, detail, kind: 'command'|'keyword'|'name'|'value', text, note}   text replaces the span
//   HOVER    {text, line, column, end_column, utf16_column, end_utf16_column}

// The page's side: one method per request, each answering a promise.
export class EngineClient {
  constructor(worker) {
    this.worker = worker;
    this.nextId = 1;
    this.waiting = new Map();
    worker.addEventListener('message', (event) => this.settle(event.data));
    worker.addEventListener('error', (event) => this.failAll(event.message || 'the checker stopped'));
  }

  settle(message) {
    const waiter = this.waiting.get(message.id);
    if (!waiter) return;
    this.waiting.delete(message.id);
    if ('error' in message) {
      waiter.reject(new Error(message.error));
    } else {
      waiter.resolve(message.value);
    }
  }

  failAll(reason) {
    for (const waiter of this.waiting.values()) waiter.reject(new Error(reason));
    this.waiting.clear();
  }

  ask(kind, fields, transfer) {
    const id = this.nextId++;
    return new Promise((resolve, reject) => {
      this.waiting.set(id, {resolve, reject});
      this.worker.postMessage({id, kind, ...fields}, transfer || []);
    });
  }

  load(bytes) {
    return this.ask('load', {bytes});
  }
  loadFrom(url) {
    return this.ask('load', {url});
  }
  worlds() {
    return this.ask('worlds', {});
  }
  check(bytes, game, annotated) {
    return this.ask('check', {bytes, game, annotated: Boolean(annotated)});
  }
  complete(bytes, game, line, column, asBytes) {
    return this.ask('complete', {bytes, game, line, column, asBytes: Boolean(asBytes)});
  }
  hover(bytes, game, line, column, asBytes) {
    return this.ask('hover', {bytes, game, line, column, asBytes: Boolean(asBytes)});
  }
}

// The bytes of the archive a load asks for.
function archiveBytes(message) {
  if (!message.url) return Promise.resolve(message.bytes);
  return fetch(message.url, {credentials: 'omit'}).then((response) => {
    if (!response.ok) throw new Error('the game data (' + message.url + ') could not be fetched: ' + response.status);
    return response.arrayBuffer();
  }).then((buffer) => new Uint8Array(buffer));
}

// The worker's side: answers every request of `scope` (the worker's global)
// from the engine `ready` resolves to (see engineapi.js; its methods may
// answer promises), one request at a time.
export function serveRequests(scope, ready) {
  const handlers = {
    load: async (engine, message, archive) => engine.load(await archive),
    worlds: (engine) => engine.worlds(),
    check: async (engine, message) => {
      const result = await engine.check(message.bytes, message.game, message.annotated);
      result.outline = JSON.stringify(result.outline);
      return result;
    },
    complete: (engine, message) =>
      engine.complete(message.bytes, message.game, message.line, message.column, message.asBytes),
    hover: (engine, message) => engine.hover(message.bytes, message.game, message.line, message.column, message.asBytes),
  };
  let queue = ready;
  scope.addEventListener('message', (event) => {
    const message = event.data;
    const archive = message.kind === 'load' ? archiveBytes(message) : null;
    archive?.catch(() => {});  // answered in turn
    queue = queue.then(async (engine) => {
      const handler = handlers[message.kind];
      try {
        if (!handler) throw new Error('unknown request ' + message.kind);
        const value = await handler(engine, message, archive);
        const transfer = value && value.annotated instanceof Uint8Array ? [value.annotated.buffer] : [];
        scope.postMessage({id: message.id, value}, transfer);
      } catch (fault) {
        scope.postMessage({id: message.id, error: fault.message || String(fault)});
      }
      return engine;
    }, (fault) => {
      scope.postMessage({id: message.id, error: 'the checker could not start: ' + (fault.message || fault)});
      throw fault;
    });
  });
}
