// The page's Web Worker: the engine in WebAssembly, answering the page's
// requests (protocol.js). The loader vyrengine.js lies beside this script.
// An engine that stopped on a fault is started afresh, with the data loaded
// before, for the next request.
import {engineOver} from './engineapi.js';
import {serveRequests} from './protocol.js';

/* global createVyrEngine */
importScripts('vyrengine.js');

let archive = null;
let engine = null;
let said = [];

async function start() {
  said = [];
  const module = await createVyrEngine({
    locateFile: (name) => name,
    print: (line) => said.push(line),
    printErr: (line) => said.push(line),
  });
  engine = engineOver(module);
  if (archive !== null) engine.load(archive);
}

// Runs one call; when the module itself stopped, answers why and starts anew.
async function guarded(call) {
  if (engine === null) await start();
  try {
    return call(engine);
  } catch (fault) {
    if (!(fault instanceof WebAssembly.RuntimeError) && !/^Aborted/.test(fault.message)) throw fault;
    const why = said.join(' ').trim();
    engine = null;
    throw new Error('the checker stopped' + (why ? ': ' + why : ''));
  }
}

const guardedEngine = {
  load: (bytes) => guarded((current) => {
    const answer = current.load(bytes);
    archive = bytes;
    return answer;
  }),
  worlds: () => guarded((current) => current.worlds()),
  check: (bytes, game, annotated) => guarded((current) => current.check(bytes, game, annotated)),
  complete: (bytes, game, line, column, byteColumns) =>
    guarded((current) => current.complete(bytes, game, line, column, byteColumns)),
  hover: (bytes, game, line, column, byteColumns) =>
    guarded((current) => current.hover(bytes, game, line, column, byteColumns)),
};

serveRequests(self, start().then(() => guardedEngine));
