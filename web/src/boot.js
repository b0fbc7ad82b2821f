// Starts the checker before the page's own, larger script has loaded: the
// worker compiles the engine and fetches the game data while the page builds
// its editor, and the orders of a check link that names its game are checked
// meanwhile. The page takes all this from `vyrChecker`; without WebAssembly
// or workers there is none, and the page uses the server's API instead.
import {EngineClient} from './protocol.js';
import {readFragment, linkGame} from './link.js';
import {textBytes} from './orderstext.js';

// The check of a link's orders: {game, bytes, result}, or null.
function firstCheck(client) {
  const wanted = readFragment(location.hash);
  const game = linkGame(wanted.game);
  if (wanted.text === '' || game === null) return null;
  const bytes = textBytes(wanted.text, wanted.asBytes);
  if (bytes === null) return null;
  const result = client.check(bytes, game, false);
  result.catch(() => {});  // the page checks again
  return {game, bytes, result};
}

if (typeof WebAssembly === 'object' && typeof Worker === 'function') {
  const client = new EngineClient(new Worker('worker.js'));
  // Asked together: the worker answers in turn, without waiting on the page.
  const worlds = Promise.all([client.loadFrom('syntax.dat'), client.worlds()]).then(([, list]) => list);
  worlds.catch(() => {});  // the page says why (the load's reason comes first)
  window.vyrChecker = {client, worlds, first: firstCheck(client)};
}
