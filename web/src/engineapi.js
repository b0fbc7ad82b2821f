// The WebAssembly engine behind a small object: every call into the module
// goes through here. Orders and archives go in as bytes; answers come out as
// plain objects, the annotated copy as bytes. Used by the page's worker and by
// the exactness test under node.

const decoder = new TextDecoder('utf-8');

// `module` is what the loader's factory (createVyrEngine) resolved to.
export function engineOver(module) {
  const session = module._vyrweb_new();

  function put(bytes) {
    const at = module._vyrweb_input(session, bytes.length);
    module.HEAPU8.set(bytes, at);
  }

  function answer(ok) {
    const at = module._vyrweb_answer(session);
    const text = decoder.decode(module.HEAPU8.subarray(at, at + module._vyrweb_answer_size(session)));
    const value = JSON.parse(text);
    if (!ok) throw new Error(value.error || 'the engine failed');
    return value;
  }

  function annotated() {
    const at = module._vyrweb_annotated(session);
    return module.HEAPU8.slice(at, at + module._vyrweb_annotated_size(session));
  }

  return {
    // Loads a data archive (its bytes); throws with the reason when it is faulty.
    load(bytes) {
      put(bytes);
      return answer(module._vyrweb_load(session));
    },
    worlds() {
      return answer(module._vyrweb_worlds(session)).worlds;
    },
    // Checks the orders (bytes) for a game: counts, findings and the outline,
    // with the annotated copy as bytes in `annotated` (empty unless `withCopy`).
    check(bytes, game, withCopy) {
      put(bytes);
      const result = answer(module._vyrweb_check(session, game, withCopy ? 1 : 0));
      result.annotated = annotated();
      return result;
    },
    // The completion at a 1-based line and column of the orders (UTF-16 code
    // units, or bytes with `byteColumns`): {replace: SPAN, items}.
    complete(bytes, game, line, column, byteColumns) {
      put(bytes);
      return answer(module._vyrweb_complete(session, game, line, column, byteColumns ? 1 : 0));
    },
    // What to show on hovering a 1-based line and column, or null.
    hover(bytes, game, line, column, byteColumns) {
      put(bytes);
      return answer(module._vyrweb_hover(session, game, line, column, byteColumns ? 1 : 0)).hover;
    },
  };
}
