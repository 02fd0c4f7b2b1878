// Runs the Node.js example against the built dustpan (DUSTPAN=path) in a throwaway HOME.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const dustpan = require('./dustpan');

function throwawayHome(t) {
  const root = fs.mkdtempSync(path.join(os.tmpdir(), 'dustpan-example-'));
  const saved = { HOME: process.env.HOME, XDG_DATA_HOME: process.env.XDG_DATA_HOME };
  process.env.HOME = path.join(root, 'home');
  process.env.XDG_DATA_HOME = path.join(root, 'home', '.local', 'share');
  fs.mkdirSync(process.env.HOME);
  t.after(() => {
    for (const [key, value] of Object.entries(saved)) {
      if (value === undefined) delete process.env[key]; else process.env[key] = value;
    }
    fs.rmSync(root, { recursive: true, force: true });
  });
  const make = (name) => {
    const file = path.join(root, name);
    fs.writeFileSync(file, name);
    return file;
  };
  return { root, make, trashFiles: path.join(process.env.XDG_DATA_HOME, 'Trash', 'files') };
}

const ok0 = { ok: true, code: 0, aborted: false, error: null, exitStatus: 0 };

test('trashes three files', async (t) => {
  const { make, trashFiles } = throwawayHome(t);
  const paths = [make('one.txt'), make('two words'), make('déjà vu\r')];
  assert.deepStrictEqual(await dustpan.trash(paths, { ownerWindow: 0 }), ok0);
  assert.deepStrictEqual(fs.readdirSync(trashFiles).sort(), ['déjà vu\r', 'one.txt', 'two words']);
  for (const p of paths) assert.strictEqual(fs.existsSync(p), false);
});

test('an empty list is ok', async (t) => {
  throwawayHome(t);
  assert.deepStrictEqual(await dustpan.trash([]), ok0);
});

test('a missing list is a read error', async (t) => {
  const { root } = throwawayHome(t);
  assert.deepStrictEqual(await dustpan.run(['trash', path.join(root, 'no-such-list')]),
    { ok: false, code: null, aborted: false, error: 'read', exitStatus: 2 });
});

test('a missing item is error 2 and the rest go', async (t) => {
  const { root, make } = throwawayHome(t);
  const kept = make('kept');
  assert.deepStrictEqual(await dustpan.trash([path.join(root, 'missing'), kept]),
    { ok: false, code: 2, aborted: false, error: null, exitStatus: 1 });
  assert.strictEqual(fs.existsSync(kept), false);
});

test('empty, then already empty', async (t) => {
  const { make } = throwawayHome(t);
  await dustpan.trash([make('x')]);
  assert.deepStrictEqual(await dustpan.empty(), ok0);
  assert.deepStrictEqual(await dustpan.empty(), { ...ok0, code: -2147418113 });
});
