// The page's Web Worker: the engine in WebAssembly, answering the page's
// requests (protocol.js). The loader vyrengine.js lies beside this script.
// An engine that stopped on a fault is started afresh, with the data loaded
// before, for the next request.
import {engineOver} from './engineapi.js';
import {serveRequests} from './protocol.js';

// The engine's module is fetched and compiled from the worker's start, while
// its loader is read. A server that does not send the module as
// application/wasm gets it compiled once it has all arrived.
/* global createVyrEngine */
const engineFile = 'vyrengine.wasm';
const engineModule = WebAssembly.compileStreaming(fetch(engineFile, {credentials: 'same-origin'})).catch(() =>
  fetch(engineFile, {credentials: 'same-origin'}).then((response) => {
    if (!response.ok) throw new Error('the engine (' + engineFile + ') could not be fetched: ' + response.status);
    return response.arrayBuffer();
  }).then((bytes) => WebAssembly.compile(bytes)));
engineModule.catch(() => {});  // start() says why
importScripts('vyrengine.js');

let archive = null;
let engine = null;
let said = [];

async function start() {
  said = [];
  const compiled = await engineModule;
  let refuse = null;
  const refused = new Promise((resolve, reject) => {
    refuse = reject;
  });
  const module = await Promise.race([refused, createVyrEngine({
    print: (line) => said.push(line),
    printErr: (line) => said.push(line),
    // The module compiled above, with the loader's imports.
    instantiateWasm(imports, receive) {
      WebAssembly.instantiate(compiled, imports).then((instance) => receive(instance, compiled), refuse);
      return {};
    },
  })]);
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
