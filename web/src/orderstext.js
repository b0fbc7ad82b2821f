// The orders as the engine reads them: bytes. Text typed in the page is
// UTF-8; a file that is not UTF-8 is shown one character per byte (the
// Windows-1252 reading, as browsers read "latin1") and goes on being checked
// as bytes in that encoding while the player edits it, so that what the game
// reads and what the page checks stay the same bytes.

const latin = new TextDecoder('windows-1252');
const utf8 = new TextDecoder('utf-8', {fatal: true});
const encoder = new TextEncoder();

// The byte of each character that a byte is shown as.
const byteOf = new Map();
for (let byte = 0; byte < 256; byte++) byteOf.set(latin.decode(Uint8Array.of(byte)), byte);

// The text to show for a file's bytes, and whether it must be kept as bytes.
export function readFileBytes(bytes) {
  try {
    return {text: utf8.decode(bytes), asBytes: false};
  } catch (notUtf8) {
    return {text: latin.decode(bytes), asBytes: true};
  }
}

// The bytes of the shown text; null when the text holds a character that
// the file's encoding has no byte for.
export function textBytes(text, asBytes) {
  if (!asBytes) return encoder.encode(text);
  const bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; i++) {
    const byte = byteOf.get(text[i]);
    if (byte === undefined) return null;
    bytes[i] = byte;
  }
  return bytes;
}

export function bytesAsText(bytes) {
  return latin.decode(bytes);
}

export function bytesToBase64(bytes) {
  let text = '';
  for (let i = 0; i < bytes.length; i += 0x8000) {
    text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
  }
  return btoa(text);
}

export function base64ToBytes(text) {
  const binary = atob(text);
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
  return bytes;
}
