// Starts the checker before the page's own, larger script has loaded: the
// worker (which compiles the engine) and the fetch of the game data then run
// while the page builds its editor. The page takes them from `vyrChecker`;
// without WebAssembly or workers there is none, and the page uses the
// server's API instead.
import {EngineClient} from './protocol.js';

if (typeof WebAssembly === 'object' && typeof Worker === 'function') {
  const client = new EngineClient(new Worker('worker.js'));
  const worlds = fetch('syntax.dat', {credentials: 'omit'})
      .then((response) => {
        if (!response.ok) throw new Error('the game data (syntax.dat) could not be fetched: ' + response.status);
        return response.arrayBuffer();
      })
      .then((bytes) => client.load(new Uint8Array(bytes)))
      .then(() => client.worlds());
  worlds.catch(() => {});  // the page says why
  window.vyrChecker = {client, worlds};
}
