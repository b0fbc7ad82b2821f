// The check link: the game and the orders in the page address's fragment,
// which browsers never send (see shareLink in main.js).
import {bytesAsText, base64ToBytes} from './orderstext.js';

// The game and orders of a fragment ('#game=...&orders=...', or bytes= for
// orders kept as bytes, in base64): {game, text, asBytes}. Damaged bytes
// give no orders.
export function readFragment(hash) {
  const parameters = new URLSearchParams(hash.slice(1));
  const wanted = {game: parameters.get('game'), text: '', asBytes: false};
  if (parameters.has('bytes')) {
    try {
      wanted.text = bytesAsText(base64ToBytes(parameters.get('bytes')));
      wanted.asBytes = true;
    } catch (damaged) {
      wanted.text = '';
    }
  } else if (parameters.has('orders')) {
    wanted.text = parameters.get('orders');
  }
  return wanted;
}

// The game a link names, as a number; null when it names none, and the
// page chooses one of the data's games.
export function linkGame(game) {
  return /^-?\d+$/.test(game || '') ? Number(game) : null;
}
