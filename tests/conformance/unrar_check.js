#!/usr/bin/env node
// Lists and extracts a RAR archive with the format author's extractor (node-unrar-js, a WebAssembly
// build of unrar) and prints what it found, for tests that compare it with what was packed.
//
//   node unrar_check.js ARCHIVE [PASSWORD]
//
// Output, one line per entry in archive order, fields separated by tabs:
//   entry <name> <size> <flags> <method> <crc32 hex> <sha256 hex of the extracted bytes, or - for a dir>
// flags is a string of letters: d directory, e enciphered, s continues the solid stream, - none.
// Names are as the extractor reports them (it turns '\' into '/' for DOS and Win32 archives).
// Before the entries one line: archive <solid 0|1> <comment length in characters>.
// Exit 0 when every entry listed and extracted; otherwise the entries read so far are still printed,
// then one line "error: ..." on stderr and exit 1.
'use strict';

const crypto = require('crypto');
const fs = require('fs');
const path = require('path');

function fail(message) {
  process.stderr.write(`error: ${message}\n`);
  process.exit(1);
}

function loadUnrar() {
  try {
    return require(path.join(__dirname, 'node_modules', 'node-unrar-js'));
  } catch (e) {
    fail(`node-unrar-js is not installed in ${__dirname} (run npm install there)`);
  }
}

function describeFlags(flags) {
  let s = '';
  if (flags.directory) s += 'd';
  if (flags.encrypted) s += 'e';
  if (flags.solid) s += 's';
  return s || '-';
}

function hex32(n) {
  return (n >>> 0).toString(16).padStart(8, '0');
}

async function main() {
  const [archivePath, password] = process.argv.slice(2);
  if (!archivePath) {
    process.stderr.write('usage: node unrar_check.js ARCHIVE [PASSWORD]\n');
    process.exit(2);
  }
  let bytes;
  try {
    bytes = fs.readFileSync(archivePath);
  } catch (e) {
    fail(`cannot read ${archivePath}: ${e.message}`);
  }
  const unrar = loadUnrar();
  const data = bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength);
  const options = { data };
  if (password !== undefined && password !== '') options.password = password;

  const lines = [];
  try {
    const extractor = await unrar.createExtractorFromData(options);
    // Every iterator is drained to its end: the extractor frees its native state only then.
    const extracted = extractor.extract();
    const header = extracted.arcHeader;
    lines.push(`archive\t${header.flags.solid ? 1 : 0}\t${(header.comment || '').length}`);
    for (const file of extracted.files) {
      const h = file.fileHeader;
      const digest = h.flags.directory
        ? '-'
        : crypto.createHash('sha256').update(file.extraction || new Uint8Array(0)).digest('hex');
      lines.push(['entry', h.name, h.unpSize, describeFlags(h.flags), h.method, hex32(h.crc),
                  digest].join('\t'));
    }
  } catch (e) {
    const where = e.file ? ` (entry ${e.file})` : '';
    if (lines.length) process.stdout.write(lines.join('\n') + '\n');
    fail(`${e.reason || 'exception'}: ${e.message}${where}`);
  }
  process.stdout.write(lines.join('\n') + '\n');
}

main();
