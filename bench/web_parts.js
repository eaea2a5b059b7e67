// Frames per second of every part in headless Chromium against the native program, at 640x480
// and 1280x960 (fixed step of 100 ms, so every run draws the same frames): the software device in
// WebAssembly (one thread) against the native software device on one thread
// (VORNHOLD_RASTER_HELPER=off), as it runs and on SSE2's four lanes, and the WebGL2 device
// (SwiftShader here: indicative only).
//   node web_parts.js SITE_DIR NATIVE_VORNHOLD DATA_DIR
'use strict';
const { execFileSync, spawn } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { Browser, optionsToQuery } = require('../tests/web/cdp.js');

const [site, native, data] = process.argv.slice(2).map((p) => path.resolve(p));
const partStarts = [0, 18041, 36083, 45162, 50793, 54172, 72190, 107010, 126223, 136382];
const partLength = (part) => (part < 10 ? partStarts[part] - partStarts[part - 1] : 10000);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'vornhold-web-bench-'));
for (const f of ['index.html', 'page.js', 'vornhold.js', 'vornhold.wasm']) fs.symlinkSync(path.join(site, f), path.join(work, f));
for (const f of ['lab.ac', 'lab.mp3']) fs.symlinkSync(path.join(data, f), path.join(work, f));

const framesPerSecond = (text) => {
  const m = /show \d+ frames in [\d.]+ s: ([\d.]+) frames\/s/.exec(text);
  return m ? Number(m[1]) : NaN;
};
const options = (part, mode) => ['--mode', `${mode}x32`, '--windowed', '--silent', '--fixed-step', '10',
  '--escape-at', String(partLength(part)), '--stats'];

async function main() {
  const server = spawn('python3', ['-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', work]);
  const port = await new Promise((resolve) => server.stdout.on('data', (d) => {
    const m = / port (\d+)/.exec(d.toString());
    if (m) resolve(m[1]);
  }));
  const browser = await Browser.launch();
  const rows = [];
  try {
    for (const mode of ['640x480', '1280x960']) {
      for (let part = 1; part <= 10; part++) {
        const name = `part${String(part).padStart(2, '0')}`;
        fs.writeFileSync(path.join(work, 'part.txt'), name + '\n');
        // The native program as it runs (AVX2 lanes where the processor has them) and on SSE2's
        // four lanes, as wide as WebAssembly's.
        const nativeRun = (path) => {
          const env = { ...process.env, VORNHOLD_RASTER_HELPER: 'off' };
          if (path) env.VORNHOLD_RASTER_PATH = path;
          try {
            return execFileSync(native, ['--headless', '--device', 'ref', ...options(part, mode)], { cwd: work, env }).toString();
          } catch (e) { return String(e.stdout); }
        };
        const nativeText = nativeRun(null), sse2Text = nativeRun('sse2');
        const web = {};
        for (const device of ['ref', 'hal']) {
          // The WebGL2 device needs a window (the canvas); the software device runs headless.
          const args = ['--device', device, ...(device === 'ref' ? ['--headless'] : ['--no-vsync']), ...options(part, mode)];
          const address = `http://127.0.0.1:${port}/index.html?${optionsToQuery(args)}`;
          const page = await browser.open(address);
          await page.waitFor('window.vornholdExit', 600000);
          web[device] = framesPerSecond(page.console.join('\n'));
          await page.send('Page.close').catch(() => {});
        }
        const row = { mode, part, native: framesPerSecond(nativeText), sse2: framesPerSecond(sse2Text), wasm: web.ref,
          webgl: web.hal };
        rows.push(row);
        console.log(`${mode.padEnd(9)} part ${String(part).padStart(2)}  native ${row.native.toFixed(1).padStart(7)}` +
          `  native SSE2 ${row.sse2.toFixed(1).padStart(7)}  wasm ${row.wasm.toFixed(1).padStart(7)}` +
          ` (${(row.wasm / row.native).toFixed(2)}x, ${(row.wasm / row.sse2).toFixed(2)}x SSE2)` +
          `  webgl2 ${row.webgl.toFixed(1).padStart(7)}`);
      }
    }
  } finally {
    await browser.close();
    server.kill();
    fs.rmSync(work, { recursive: true, force: true });
  }
  for (const mode of ['640x480', '1280x960']) {
    const of = rows.filter((r) => r.mode === mode);
    const mean = (peer) => Math.exp(of.reduce((sum, r) => sum + Math.log(r.wasm / r[peer]), 0) / of.length).toFixed(2);
    const lowest = of.reduce((low, r) => (r.wasm / r.native < low.wasm / low.native ? r : low));
    console.log(`${mode}: WebAssembly against native, geometric mean over the parts ${mean('native')}x ` +
      `(lowest: part ${lowest.part}, ${(lowest.wasm / lowest.native).toFixed(2)}x); against native SSE2 ${mean('sse2')}x`);
  }
}
main().catch((e) => { console.error(e); process.exit(1); });
