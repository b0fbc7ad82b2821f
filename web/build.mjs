// Builds the page's own files into a folder: the bundles of the page, its
// early start and its worker (esbuild, from the packages installed by
// `npm ci`, nothing fetched), the HTML and the style, and the guide to the
// finding codes as a page.
//
//   node build.mjs OUT_DIR CODES_MD
//
// The engine (vyrengine.js, vyrengine.wasm) and the data archive are put
// beside them by the build (web/CMakeLists.txt).
import * as esbuild from 'esbuild';
import {Parser, HtmlRenderer} from 'commonmark';
import fs from 'node:fs';
import path from 'node:path';
import {fileURLToPath} from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const [outDir, codesFile] = process.argv.slice(2);
if (!outDir || !codesFile) {
  console.error('usage: node build.mjs OUT_DIR CODES_MD');
  process.exit(2);
}
fs.mkdirSync(outDir, {recursive: true});

const options = {
  bundle: true,
  minify: true,
  target: ['chrome100', 'firefox100', 'safari15'],
  legalComments: 'none',
  logLevel: 'warning',
};
// The early start and the worker: classic scripts, one file each.
for (const [source, target] of [['src/boot.js', 'boot.js'], ['src/worker.js', 'worker.js']]) {
  await esbuild.build({...options, entryPoints: [path.join(here, source)], outfile: path.join(outDir, target),
                       format: 'iife'});
}
// The page: a module (page.js), the editing module it loads later
// (editing.js) and the code both share (shared.js), named so that the page
// can ask for it at once. A second shared file would take the same name,
// which esbuild refuses.
await esbuild.build({...options, outdir: outDir,
                     entryPoints: {page: path.join(here, 'src/main.js'), editing: path.join(here, 'src/editing.js')},
                     format: 'esm', splitting: true, entryNames: '[name]', chunkNames: 'shared'});
for (const file of ['index.html', 'style.css', 'favicon.svg']) fs.copyFileSync(path.join(here, file), path.join(outDir, file));

// A heading's anchor: lower case, runs of other characters than letters,
// digits, '-' and '_' as one '-' between two kept characters.
function anchorOf(heading) {
  return heading.toLowerCase().replace(/[^a-z0-9_-]+/g, '-').replace(/^-+|-+$/g, '');
}

function textOf(node) {
  let text = '';
  const walker = node.walker();
  for (let event = walker.next(); event; event = walker.next()) {
    if (event.entering && (event.node.type === 'text' || event.node.type === 'code')) text += event.node.literal;
  }
  return text;
}

function guidePage(markdown) {
  const renderer = new HtmlRenderer({safe: true});
  const plainAttrs = renderer.attrs;
  renderer.attrs = function (node) {
    const attrs = plainAttrs.call(this, node);
    if (node.type === 'heading') attrs.push(['id', anchorOf(textOf(node))]);
    return attrs;
  };
  const body = renderer.render(new Parser().parse(markdown));
  return '<!DOCTYPE html>\n<html lang="en">\n<head>\n<meta charset="utf-8">\n' +
      '<meta name="viewport" content="width=device-width, initial-scale=1">\n' +
      '<meta http-equiv="Content-Security-Policy" content="default-src \'self\'; script-src \'none\'; ' +
      'object-src \'none\'; base-uri \'none\'; form-action \'none\'">\n' +
      '<title>Vyr finding codes</title>\n<link rel="stylesheet" href="style.css">\n</head>\n' +
      '<body class="guide">\n<p><a href="index.html">Back to the orders check</a></p>\n' + body + '</body>\n</html>\n';
}

fs.writeFileSync(path.join(outDir, 'codes.html'), guidePage(fs.readFileSync(codesFile, 'utf8')));
