// The editor's conveniences that the first check does not wait for: the undo
// history, the usual keys and the engine's completion. The page loads this
// module once its editor is made (see addEditing in editor.js).
import {defaultKeymap, history, historyKeymap} from '@codemirror/commands';
import {autocompletion} from '@codemirror/autocomplete';
import {keymap} from '@codemirror/view';

// `completionSource` answers the engine's items for a place (editor.js).
export function editingExtensions(completionSource) {
  return [
    history(),
    // The list opens with no item chosen: Enter ends the line, and an item
    // is taken by a click, or by the arrow keys and then Enter.
    autocompletion({override: [completionSource], activateOnTyping: true, selectOnOpen: false}),
    keymap.of([...historyKeymap, ...defaultKeymap]),
  ];
}
