// The orders editor: CodeMirror with the engine's findings as marks in the
// text, its completion and hover, and the places of findings and outline
// entries turned into offsets of the document.
import {EditorState, Compartment} from '@codemirror/state';
import {
  EditorView, keymap, lineNumbers, highlightActiveLine, highlightActiveLineGutter, drawSelection,
  highlightSpecialChars, hoverTooltip,
} from '@codemirror/view';
import {setDiagnostics, lintGutter, lintKeymap} from '@codemirror/lint';

// The offset of a 1-based line and column (UTF-16 code units, or bytes for
// orders kept as bytes, where each byte is one character); past the line's
// end it is the line's end.
export function offsetAt(doc, line, column) {
  if (line > doc.lines) return doc.length;
  const text = doc.line(Math.max(1, line));
  return text.from + Math.min(Math.max(column - 1, 0), text.length);
}

function findingRange(doc, finding, asBytes) {
  const from = offsetAt(doc, finding.line, asBytes ? finding.column : finding.utf16_column);
  const to = offsetAt(doc, finding.line, asBytes ? finding.end_column : finding.end_utf16_column);
  return {from, to: Math.max(from, to)};
}

export function findingText(finding) {
  return finding.message + (finding.suggestion ? " (did you mean '" + finding.suggestion + "'?)" : '');
}

const severities = {error: 'error', warning: 'warning', note: 'info'};

// A finding's fix as an action of its mark; orders kept as bytes place it by bytes.
function fixAction(fix, asBytes) {
  return {
    name: fix.title,
    apply(view) {
      const changes = fix.edits.map((edit) => ({
        from: offsetAt(view.state.doc, edit.line, asBytes ? edit.column : edit.utf16_column),
        to: offsetAt(view.state.doc, edit.line, asBytes ? edit.end_column : edit.end_utf16_column),
        insert: edit.text,
      }));
      view.dispatch({changes, userEvent: 'input.fix'});
    },
  };
}

// The findings of a check as marks of the document `doc`. `codesPage` is the
// address of the page that explains each code.
function diagnosticsOf(doc, findings, asBytes, codesPage) {
  return findings.map((finding) => {
    const {from, to} = findingRange(doc, finding, asBytes);
    return {
      from,
      to,
      severity: severities[finding.severity] || 'error',
      message: findingText(finding),
      actions: (finding.fixes || []).map((fix) => fixAction(fix, asBytes)),
      renderMessage() {
        const box = document.createElement('span');
        box.className = 'finding-tip';
        box.textContent = findingText(finding) + ' ';
        if (finding.code) {
          const link = document.createElement('a');
          link.href = codesPage + '#' + encodeURIComponent(finding.code);
          link.target = '_blank';
          link.rel = 'noopener';
          link.textContent = finding.code;
          box.append(link);
        }
        return box;
      },
    };
  });
}

// The findings of a check as the editor's marks.
export function showFindings(view, findings, asBytes, codesPage) {
  view.dispatch(setDiagnostics(view.state, diagnosticsOf(view.state.doc, findings, asBytes, codesPage)));
}

// Selects a finding's field (or the place of a missing one) and focuses the editor.
export function selectFinding(view, finding, asBytes) {
  const {from, to} = findingRange(view.state.doc, finding, asBytes);
  view.dispatch({selection: {anchor: from, head: to}, scrollIntoView: true});
  view.focus();
}

export function jumpTo(view, line, column) {
  const at = offsetAt(view.state.doc, line, column);
  view.dispatch({selection: {anchor: at}, scrollIntoView: true});
  view.focus();
}

const completionTypes = {command: 'keyword', keyword: 'keyword', name: 'variable', value: 'constant'};

// The marks and tips: errors, warnings and notes apart, by the line's style as
// well as its colour.
const pageTheme = EditorView.theme({
  '&': {height: '100%', fontSize: '0.9rem', backgroundColor: '#fff'},
  '&.cm-focused': {outline: '3px solid #ffbf47', outlineOffset: '2px'},
  '.cm-scroller': {fontFamily: 'ui-monospace, "DejaVu Sans Mono", Menlo, Consolas, monospace'},
  '.cm-lintRange-error': {backgroundImage: 'none', textDecoration: 'underline wavy #a3111c',
                          backgroundColor: '#fde4e4'},
  '.cm-lintRange-warning': {backgroundImage: 'none', textDecoration: 'underline wavy #7a4a00',
                            backgroundColor: '#fff1c9'},
  '.cm-lintRange-info': {backgroundImage: 'none', textDecoration: 'underline dotted #2f5d50'},
  // Gutter markers drawn by the style alone (the usual ones are images in data: addresses).
  '.cm-lint-marker': {content: 'normal', display: 'inline-block', width: '0.7em', height: '0.7em',
                      margin: '0.25em 0.15em', boxSizing: 'border-box'},
  '.cm-lint-marker-error': {backgroundColor: '#a3111c', borderRadius: '50%'},
  '.cm-lint-marker-warning': {backgroundColor: '#d99a00', transform: 'rotate(45deg) scale(0.85)'},
  '.cm-lint-marker-info': {border: '2px solid #2f5d50', borderRadius: '50%'},
  '.cm-tooltip': {fontFamily: 'system-ui, sans-serif', maxWidth: '32rem'},
  '.hover-tip': {padding: '0.3rem 0.5rem', whiteSpace: 'pre-wrap'},
  '.finding-tip a': {fontFamily: 'ui-monospace, "DejaVu Sans Mono", monospace', color: '#1c4f9c'},
});

// Typing over a selection is done by the editor, not left to the browser,
// whose editing would keep the look of the marked text it replaces in inline
// styles, which the page's Content Security Policy refuses.
const typingOverSelection = EditorView.domEventHandlers({
  beforeinput(event, view) {
    if (event.inputType !== 'insertText' || !event.data || view.composing) return false;
    if (view.state.selection.ranges.every((range) => range.empty)) return false;
    event.preventDefault();
    view.dispatch(view.state.replaceSelection(event.data), {userEvent: 'input.type', scrollIntoView: true});
    return true;
  },
});

// The undo history, the usual keys and completion come in a module of their
// own (editing.js), loaded once the editor is made: the page's script and its
// first marks do not wait for it. Until then the editor takes plain typing.
const editing = new Compartment();
const completionSources = new WeakMap();

// Mounts the editor in a shadow root of `host`: its styles then go into a
// style sheet of their own, which the page's Content Security Policy allows,
// where a <style> element would need 'unsafe-inline'.
// `services.complete(line, column)` and `services.hover(line, column)` answer
// the engine's items and hover (promises); `services.changed(view)` hears of
// every change of the text. `marks` ({findings, asBytes, codesPage}), when
// given, are the text's marks from the start, drawn with it.
export function createEditor(host, services, text, marks) {
  const root = host.attachShadow({mode: 'open'});
  const parent = document.createElement('div');
  parent.style.height = '100%';
  root.append(parent);
  // The engine's items replace the part of the field typed before the place.
  // Each answer is asked afresh: the items depend on the whole line.
  const completionSource = async (context) => {
    const line = context.state.doc.lineAt(context.pos);
    const answer = await services.complete(line.number, context.pos - line.from + 1);
    if (!answer || answer.items.length === 0 || context.aborted) return null;
    const span = answer.replace;
    const doc = context.state.doc;
    const from = offsetAt(doc, span.line, answer.asBytes ? span.column : span.utf16_column);
    const to = offsetAt(doc, span.line, answer.asBytes ? span.end_column : span.end_utf16_column);
    // The editor filters the items by what is typed, which is written as their text is.
    return {
      from,
      to: Math.max(from, to),
      options: answer.items.map((item) => ({
        label: item.text,
        displayLabel: item.label,
        detail: [item.detail, item.note].filter(Boolean).join(' — ') || undefined,
        type: completionTypes[item.kind] || 'text',
      })),
    };
  };
  const hover = hoverTooltip(async (view, pos) => {
    const line = view.state.doc.lineAt(pos);
    const answer = await services.hover(line.number, pos - line.from + 1);
    if (!answer || !answer.text) return null;
    return {
      pos: offsetAt(view.state.doc, answer.line, answer.asBytes ? answer.column : answer.utf16_column),
      end: offsetAt(view.state.doc, answer.line, answer.asBytes ? answer.end_column : answer.end_utf16_column),
      create() {
        const dom = document.createElement('div');
        dom.className = 'hover-tip';
        dom.textContent = answer.text;
        return {dom};
      },
    };
  });
  let state = EditorState.create({
    doc: text,
    extensions: [
      pageTheme,
      lineNumbers(),
      highlightActiveLineGutter(),
      highlightSpecialChars(),
      drawSelection(),
      highlightActiveLine(),
      lintGutter(),
      hover,
      keymap.of(lintKeymap),
      editing.of([]),
      typingOverSelection,
      EditorView.contentAttributes.of({
        'aria-label': 'Orders', 'spellcheck': 'false', 'autocapitalize': 'off', 'autocorrect': 'off',
      }),
      EditorView.updateListener.of((update) => {
        if (update.docChanged) services.changed(update.view);
      }),
    ],
  });
  if (marks) {
    state = state.update(setDiagnostics(state, diagnosticsOf(state.doc, marks.findings, marks.asBytes,
                                                              marks.codesPage))).state;
  }
  const view = new EditorView({parent, root, state});
  completionSources.set(view, completionSource);
  return view;
}

// Adds them to an editor that createEditor made.
export async function addEditing(view) {
  const {editingExtensions} = await import('./editing.js');
  view.dispatch({effects: editing.reconfigure(editingExtensions(completionSources.get(view)))});
}
