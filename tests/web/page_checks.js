// The show in headless Chromium against the native program, one row per check:
// - software device at a fixed step: the frames written every 2 s of the whole show (so every
//   part) and the whole trace, against the native program's from the same options;
// - WebGL2 device: each part played alone at 160x120, its frames against the native software
//   device's within the desktop OpenGL device's PSNR floors: on SwiftShader (no display; floors
//   of its own, coarser) and, where Xvfb gives a display, on Mesa's OpenGL through ANGLE;
// - the setup dialog comes up without options; Enter starts the show, Escape (on a new page)
//   cancels it;
// - the archive missing on the server: its one line in the page, and the failure exit code;
// - the letterbox, smooth and sharp, on the page and in full screen (F);
// - a browser without WebGL2: the software device, and the line that says so.
//   node page_checks.js BASE_URL NATIVE_VORNHOLD NATIVE_WORK_DIR
'use strict';
const { execFileSync } = require('child_process');
const fs = require('fs');
const path = require('path');
const { Browser, optionsToQuery } = require('./cdp.js');

const [base, native, work] = process.argv.slice(2);
const failures = [];
const fail = (line) => { failures.push(line); console.log('FAIL: ' + line); };

// The options both programs get; the page's address holds them as ?name=value&flag.
const showOptions = ['--device', 'ref', '--mode', '320x240x32', '--windowed', '--silent', '--fixed-step', '10',
  '--frames', 'frames', '--frames-every', '20', '--trace', 'trace.txt', '--escape-at', '147000'];
function address(site, options, extra = '') {
  return `${base}/${site}/index.html?${optionsToQuery(options)}${extra}`;
}

// Where each part starts on the timeline (ms), parts 1 to 10.
const partStarts = [0, 18041, 36083, 45162, 50793, 54172, 72190, 107010, 126223, 136382];

// Pixels of a PNG as raw RGB, through ffmpeg.
function pixels(file) {
  return execFileSync('ffmpeg', ['-v', 'error', '-i', file, '-f', 'rawvideo', '-pix_fmt', 'rgb24', '-'],
    { maxBuffer: 64 << 20 });
}

// The native program run headless with these options in a folder of its own holding the show;
// the folder, or null when the program did not end as the show does.
// With a part ("part06"), the show plays that part alone, as the page's site of that name does.
function runNative(folder, options, part = null) {
  const nativeDir = path.join(work, folder);
  fs.mkdirSync(nativeDir, { recursive: true });
  for (const name of ['lab.ac', 'lab.mp3', 'part.txt'])
    fs.copyFileSync(path.join(work, 'show', name), path.join(nativeDir, name));
  if (part) fs.writeFileSync(path.join(nativeDir, 'part.txt'), part + '\n');
  try {
    execFileSync(native, ['--headless', ...options], { cwd: nativeDir, stdio: 'ignore' });
  } catch (e) {
    if (e.status !== 1) {
      fail(`the native program ended with ${e.status}`);
      return null;
    }
  }
  return nativeDir;
}

// Each presented frame's time on the timeline, from a trace's Present lines.
function frameTimes(trace) {
  const times = new Map();
  for (const m of trace.matchAll(/^Present frame=(\d+) tick=\d+ t=(\d+)$/gm)) times.set(Number(m[1]), Number(m[2]));
  return times;
}

async function softwareFrames(browser) {
  const nativeDir = runNative('native', showOptions);
  if (!nativeDir) return;
  const page = await browser.open(address('show', showOptions, '&no-vsync'));
  const code = await page.waitFor('window.vornholdExit', 240000);
  if (code !== 1) return fail(`software device: the page ended with ${code}: ${page.console.slice(-3).join(' | ')}`);

  const names = fs.readdirSync(path.join(nativeDir, 'frames')).sort();
  const webNames = (await page.evaluate("Module.FS.readdir('frames')")).filter((n) => n.endsWith('.png')).sort();
  if (names.join() !== webNames.join()) fail(`software device: frames ${webNames.length} in the page, ${names.length} native`);
  // Which part each frame shows, from the native trace's Present lines.
  const nativeText = fs.readFileSync(path.join(nativeDir, 'trace.txt'), 'utf8');
  const nativeTrace = nativeText.split('\n');
  const frameTime = frameTimes(nativeText);
  const partOf = (t) => partStarts.filter((start) => start <= t).length;
  const identicalInPart = new Set();
  let same = 0, values = 0, changed = 0;
  const differing = [];
  for (const name of names.filter((n) => webNames.includes(n))) {
    const ours = path.join(work, 'web-' + name);
    fs.writeFileSync(ours, await page.readFile('frames/' + name));
    const a = pixels(ours), b = pixels(path.join(nativeDir, 'frames', name));
    values += b.length;
    const t = frameTime.get(Number(/(\d+)/.exec(name)[1]));
    if (a.equals(b)) {
      same++;
      if (t !== undefined) identicalInPart.add(partOf(t));
      continue;
    }
    let count = 0, most = 0;
    for (let i = 0; i < a.length; i++) if (a[i] !== b[i]) { count++; most = Math.max(most, Math.abs(a[i] - b[i])); }
    changed += count;
    differing.push(`${name} ${count}/${a.length} up to ${most}`);
  }
  console.log(`software device: ${same} of ${names.length} frames byte-identical to the native program's; ` +
    `the others: ${differing.join(', ') || 'none'}`);
  const partsWithout = partStarts.map((_, i) => i + 1).filter((part) => !identicalInPart.has(part));
  if (partsWithout.length) fail(`software device: no byte-identical frame in part(s) ${partsWithout.join(' ')}`);
  // The C libraries' float sine, cosine, tangent and arc tangent round apart in the last bit for
  // a few arguments in a hundred (glibc on the desktop, musl in the page): a vertex moves by a
  // float's last bit now and then, and an edge pixel or two changes. Bounded here, counted above.
  if (tooMany(changed, values)) fail(`software device: ${changed} of ${values} channel values differ`);

  // The trace: the same lines, but for numbers in their last printed digit (the same rounding).
  const webTrace = (await page.readFile('trace.txt')).toString().split('\n');
  let lastDigit = 0;
  const otherwise = [];
  for (let i = 0; i < Math.max(webTrace.length, nativeTrace.length); i++) {
    if (webTrace[i] === nativeTrace[i]) continue;
    if (sameButLastDigit(webTrace[i], nativeTrace[i])) lastDigit++;
    else otherwise.push(i + 1);
  }
  console.log(`trace: ${nativeTrace.length} lines; ${lastDigit} differ in a number's last digit, ${otherwise.length} otherwise`);
  if (otherwise.length)
    fail(`trace: line ${otherwise[0]}: page "${webTrace[otherwise[0] - 1]}", native "${nativeTrace[otherwise[0] - 1]}"`);
}

// More than one channel value in ten thousand.
function tooMany(changed, values) { return changed * 10000 > values; }

// Two trace lines alike word for word, where numbers that differ do so by one unit in their last
// printed digit.
function sameButLastDigit(a, b) {
  if (a === undefined || b === undefined) return false;
  const x = a.split(' '), y = b.split(' ');
  if (x.length !== y.length) return false;
  return x.every((word, i) => {
    if (word === y[i]) return true;
    const p = Number(word), q = Number(y[i]);
    if (!Number.isFinite(p) || !Number.isFinite(q)) return false;
    // (or by a float's few last bits of a sum near 1 that cancelled to near 0)
    const decimals = Math.max((word.split('.')[1] || '').length, (y[i].split('.')[1] || '').length);
    return Math.abs(p - q) <= Math.max(1.000001 * 10 ** -decimals, 1e-6 * Math.max(1, Math.abs(p)));
  });
}

// The desktop OpenGL device's floors (tests/show/gl_frames.sh, Mesa llvmpipe), parts 1 to 10, in
// dB, measured as here: each part played alone at 160x120 and 10 frames a second of show time,
// a frame every two seconds. Frames elsewhere on the timeline go lower on the desktop too (part 6
// in the whole show: 41 dB), so the page is compared on the same frames.
// They hold where vertices snap to 1/256 pixel as in the software device (8 sub-pixel bits, as
// llvmpipe and desktop GPUs have). Chromium's SwiftShader, this machine's WebGL2 without a
// display, has 4: a vertex moves by up to 1/32 pixel, and silhouette pixels whose centres lie that
// close to an edge flip (each by up to 255), which at 160x120 costs 25 to 40 dB while the pictures
// are otherwise the same. For that driver, its own floors measured the same way (the lowest frame
// less 3 dB).
const glFloors = [44, 51, 69, 51, 46, 45, 44, 43, 57, 61];
const coarseSnapFloors = [35, 40, 29, 28, 35, 31, 31, 32, 29, 34];

// The PSNR of two PNG files of the same size, in dB (99 when identical).
function psnr(a, b) {
  const x = pixels(a), y = pixels(b);
  let squares = 0;
  for (let i = 0; i < x.length; i++) squares += (x[i] - y[i]) ** 2;
  return squares === 0 ? 99 : 10 * Math.log10(255 * 255 * x.length / squares);
}

// With `throughDesktopGl`, a browser asked to draw WebGL2 through the desktop's OpenGL: where it
// cannot (no GLX on the display), it falls back to SwiftShader or has no WebGL2, and the row is
// skipped with a line.
async function webglFrames(browser, throughDesktopGl = false) {
  const blank = await browser.open('about:blank');
  const [renderer, subpixelBits] = await blank.evaluate(`(() => {
    const gl = document.createElement('canvas').getContext('webgl2');
    const info = gl && gl.getExtension('WEBGL_debug_renderer_info');
    return [info ? gl.getParameter(info.UNMASKED_RENDERER_WEBGL) : 'unknown', gl ? gl.getParameter(gl.SUBPIXEL_BITS) : 0];
  })()`);
  await blank.close();
  if (throughDesktopGl && (!subpixelBits || /SwiftShader/.test(renderer)))
    return console.log(`WebGL2 through the desktop's OpenGL: not to be had here (${renderer}): skipped`);
  // (ANGLE reports 4 bits whatever the driver beneath it snaps to: SwiftShader is known by name.)
  const floors = /SwiftShader/.test(renderer) && subpixelBits < 8 ? coarseSnapFloors : glFloors;
  const lowest = [];
  for (let part = 1; part <= partStarts.length; part++) {
    const name = 'part' + String(part).padStart(2, '0');
    const length = part < partStarts.length ? partStarts[part] - partStarts[part - 1] : 10000;
    const options = ['--size', '160x120', '--silent', '--fixed-step', '10', '--frames', 'frames', '--frames-every', '20',
      '--trace', 'trace.txt', '--escape-at', String(length), '--stats'];
    const nativeDir = runNative('native-gl-' + name, ['--device', 'ref', ...options], name);
    if (!nativeDir) return;
    const page = await browser.open(address(name, ['--device', 'hal', '--windowed', ...options], '&no-vsync'));
    const code = await page.waitFor('window.vornholdExit', 120000);
    const device = page.console.find((line) => line.startsWith('vornhold: device')) || 'no device line';
    if (code !== 1 || !/OpenGL .*OpenGL ES/.test(device))
      return fail(`WebGL2 device, ${name}: exit ${code}, ${device}: ${page.console.slice(-3).join(' | ')}`);
    let low = Infinity;
    for (const frame of fs.readdirSync(path.join(nativeDir, 'frames'))) {
      const ours = path.join(work, `webgl-${name}-${frame}`);
      fs.writeFileSync(ours, await page.readFile('frames/' + frame));
      low = Math.min(low, psnr(ours, path.join(nativeDir, 'frames', frame)));
    }
    lowest.push(low);
    // The devices draw the same calls: the traces match but for the device line.
    const webTrace = (await page.readFile('trace.txt')).toString();
    const nativeTrace = fs.readFileSync(path.join(nativeDir, 'trace.txt'), 'utf8');
    if (webTrace.split('\n').length !== nativeTrace.split('\n').length)
      fail(`WebGL2 device, ${name}: the trace has another length than the software device's`);
    await page.close();
  }
  console.log(`WebGL2 device on ${renderer} (${subpixelBits} sub-pixel bits): lowest PSNR per part ` +
    lowest.map((db) => db.toFixed(1)).join(' ') + ` dB; floors ${floors.join(' ')}`);
  const below = lowest.map((db, i) => (db < floors[i] ? `part ${i + 1} ${db.toFixed(1)} < ${floors[i]}` : null))
    .filter(Boolean);
  if (below.length) fail(`WebGL2 device: below the floor: ${below.join(', ')}`);
}

// The dialog: the canvas takes the dialog's size (from the page's default 300x150) once it is up.
async function dialog(browser, keyName, expectShow) {
  const page = await browser.open(`${base}/show/index.html?trace=dialog.txt&no-vsync`);
  const up = await page.waitFor("document.getElementById('canvas').width !== 300", 30000);
  if (!up) return fail(`dialog: not on the canvas: ${page.console.slice(-3).join(' | ')}`);
  await new Promise((r) => setTimeout(r, 500));
  await page.evaluate("document.getElementById('canvas').focus()");
  await page.key(keyName);
  const played = "/^Present .* t=\\d+$/m.test(new TextDecoder().decode(Module.FS.readFile('dialog.txt')))";
  let presented = false;
  let full = false;
  if (expectShow) {
    presented = !!await page.waitFor(played, 60000);
    // The dialog's default is full screen: the page's, asked for while the OK still counts as the
    // user's gesture. The browser keeps the first Escape to leave it; the next is the show's.
    full = await page.evaluate("!!document.fullscreenElement");
    if (full) await page.key('Escape');
    await page.waitFor("!document.fullscreenElement", 5000);
    await page.key('Escape');
  }
  const code = await page.waitFor('window.vornholdExit', 60000);
  if (!expectShow) presented = /^Present .* t=\d+$/m.test((await page.readFile('dialog.txt')).toString());
  if (code !== 1 || presented !== expectShow || full !== expectShow)
    fail(`dialog, ${keyName}: exit ${code}, the show ${presented ? 'played' : 'did not play'}${full ? '' : ', not'} in full screen`);
  else console.log(`dialog, ${keyName}: ${expectShow ? 'the show played in full screen' : 'cancelled'}, exit 1`);
}

// The letterbox on the page and, after F, in full screen: smooth scaling fills the room with the
// canvas's shape, sharp scaling shows it in the largest whole multiple that fits.
async function scaling(browser) {
  for (const scale of ['smooth', 'sharp']) {
    const page = await browser.open(address('show', ['--device', 'ref', '--mode', '320x240x32', '--windowed', '--silent',
      '--fixed-step', '25', '--escape-at', '6000', '--no-vsync', '--scale', scale]));
    await page.waitFor("document.getElementById('canvas').width === 320", 30000);
    const measure = `(() => {
      const canvas = document.getElementById('canvas').getBoundingClientRect();
      const room = document.getElementById('stage').getBoundingClientRect();
      return [canvas.width, canvas.height, room.width, room.height];
    })()`;
    const fits = ([width, height, roomWidth, roomHeight]) => {
      if (Math.abs(width * 3 - height * 4) > 4 || width > roomWidth || height > roomHeight) return false;
      if (scale === 'smooth') return roomWidth - width < 2 || roomHeight - height < 2;
      const k = width / 320;
      return Number.isInteger(k) && k >= 1 && (320 * (k + 1) > roomWidth || 240 * (k + 1) > roomHeight);
    };
    // The page refits the canvas when the room changes size, at the browser's pace.
    const settled = async (before) => {
      const done = (size) => fits(size) && !(before && size[2] === before[2] && size[3] === before[3]);
      let size = await page.evaluate(measure);
      for (const until = Date.now() + 5000; !done(size) && Date.now() < until;) {
        await new Promise((r) => setTimeout(r, 100));
        size = await page.evaluate(measure);
      }
      return size;
    };
    const onPage = await settled();
    await page.evaluate("document.getElementById('canvas').focus()");
    await page.key('f');
    const full = await page.waitFor("document.fullscreenElement && document.fullscreenElement.id === 'stage'", 5000);
    const inFull = await settled(onPage);
    await page.waitFor('window.vornholdExit', 30000);
    if (!fits(onPage) || !full || !fits(inFull) || inFull[2] === onPage[2])
      fail(`${scale} scaling: on the page ${onPage.join('x')}, full screen ${full ? inFull.join('x') : 'refused'}`);
    else console.log(`${scale} scaling: canvas ${onPage[0]}x${onPage[1]} on the page, ${inFull[0]}x${inFull[1]} in full screen`);
  }
}

// Without WebGL2 the page takes the software device and says so.
async function noWebgl() {
  const browser = await Browser.launch(['--disable-webgl', '--disable-webgl2']);
  try {
    const page = await browser.open(address('show', ['--mode', '320x240x32', '--windowed', '--silent', '--fixed-step', '25',
      '--escape-at', '1000', '--no-vsync', '--stats']));
    const code = await page.waitFor('window.vornholdExit', 60000);
    const said = page.console.join('\n');
    if (code !== 1 || !/no WebGL2/.test(said) || !/device software/.test(said))
      fail(`no WebGL2: exit ${code}, said: ${page.console.slice(0, 2).join(' | ')}`);
    else console.log(`no WebGL2: "${page.console.find((line) => /no WebGL2/.test(line))}"`);
  } finally {
    await browser.close();
  }
}

async function missingFile(browser) {
  const page = await browser.open(`${base}/no-archive/index.html?windowed&mode=320x240x32&silent&no-vsync`);
  const code = await page.waitFor('window.vornholdExit', 60000);
  const line = await page.evaluate("document.getElementById('status').textContent");
  if (code !== 2 || !/lab\.ac/.test(line)) fail(`missing lab.ac: exit ${code}, the page says "${line}"`);
  else console.log(`missing lab.ac: "${line}"`);
}

(async () => {
  const browser = await Browser.launch();
  try {
    // VORNHOLD_PAGE_CHECKS=frames,webgl,dialog,missing,scaling,nowebgl runs only those.
    const only = (process.env.VORNHOLD_PAGE_CHECKS || 'frames,webgl,dialog,missing,scaling,nowebgl').split(',');
    if (only.includes('frames')) await softwareFrames(browser);
    if (only.includes('webgl')) {
      await webglFrames(browser);
      // With an X display, Chromium's ANGLE draws WebGL2 through the desktop's OpenGL (Mesa's
      // llvmpipe here): the desktop device's floors hold in the page too.
      if (process.env.VORNHOLD_PAGE_DISPLAY) {
        process.env.DISPLAY = process.env.VORNHOLD_PAGE_DISPLAY;
        const desktopGl = await Browser.launch(['--use-angle=gl', '--ignore-gpu-blocklist']);
        delete process.env.DISPLAY;
        try {
          await webglFrames(desktopGl, true);
        } finally {
          await desktopGl.close();
        }
      }
    }
    if (only.includes('dialog')) {
      await dialog(browser, 'Enter', true);
      await dialog(browser, 'Escape', false);
    }
    if (only.includes('missing')) await missingFile(browser);
    if (only.includes('scaling')) await scaling(browser);
    if (only.includes('nowebgl')) await noWebgl();
  } finally {
    await browser.close();
  }
  process.exit(failures.length ? 1 : 0);
})().catch((e) => { console.log('FAIL: ' + e.message); process.exit(1); });
