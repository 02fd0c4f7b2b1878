// Calling dustpan from Node.js: write the list, run dustpan, read its one status line.
//
//   const { trash } = require('./dustpan');
//   const result = await trash(['/home/me/old.log', '/home/me/build']);
//   if (!result.ok) ...
'use strict';
const { execFile } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const DUSTPAN = process.env.DUSTPAN || 'dustpan';

// { ok, code, aborted, error, exitStatus }: code is the number on the line (null for
// "error read" and "error usage", whose error is then "read" or "usage").
function parse(line, exitStatus) {
  const text = line.replace(/\r?\n$/, '');
  if (text === 'error read' || text === 'error usage') {
    return { ok: false, code: null, aborted: false, error: text.slice(6), exitStatus };
  }
  const match = /^(ok|error) (-?\d+)( aborted)?$/.exec(text);
  if (!match) throw new Error(`unexpected answer from dustpan: ${JSON.stringify(line)}`);
  return { ok: match[1] === 'ok', code: Number(match[2]), aborted: match[3] !== undefined, error: null, exitStatus };
}

function run(args, program = DUSTPAN) {
  return new Promise((resolve, reject) => {
    execFile(program, args, { encoding: 'latin1' }, (failure, stdout) => {
      if (failure && typeof failure.code !== 'number') return reject(failure);  // could not start
      try {
        resolve(parse(stdout, failure ? failure.code : 0));
      } catch (error) {
        reject(error);
      }
    });
  });
}

// Moves every path to the trash in one operation.
async function trash(paths, { ownerWindow, program = DUSTPAN } = {}) {
  for (const p of paths) {
    if (!p || p.includes('\n') || p.includes('\0')) throw new Error(`a list file cannot carry ${JSON.stringify(p)}`);
  }
  // CR LF line ends: dustpan drops one CR before each line end, so a path ending in CR keeps it.
  const content = paths.map((p) => `${p}\r\n`).join('');
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'dustpan-'));  // private to this user
  const list = path.join(folder, 'list.txt');
  try {
    fs.writeFileSync(list, content, { encoding: 'utf8', mode: 0o600 });
    const args = ['trash', list];
    if (ownerWindow !== undefined) args.push(String(ownerWindow));
    return await run(args, program);
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
}

// Empties the trash. Its exit status is always 0: look at result.ok.
function empty({ program = DUSTPAN } = {}) {
  return run(['empty'], program);
}

module.exports = { parse, run, trash, empty };
