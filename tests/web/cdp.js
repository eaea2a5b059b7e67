// A small driver for Chromium over its DevTools protocol on a pipe (--remote-debugging-pipe:
// JSON messages ending in a NUL byte, written on fd 3 and read from fd 4): enough to open a page,
// evaluate script in it, wait for a condition and type keys. No npm packages.
'use strict';
const { spawn } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

class Browser {
  static async launch(extraArguments = [], executable = process.env.CHROMIUM || '/usr/bin/chromium') {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vornhold-chromium-'));
    const child = spawn(executable, [
      '--headless=new', '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
      '--remote-debugging-pipe', '--no-first-run', '--no-default-browser-check', '--mute-audio',
      `--user-data-dir=${profile}`, ...extraArguments, 'about:blank',
    ], { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'], detached: true });  // its own process group
    const browser = new Browser(child, profile);
    await browser.send('Target.setDiscoverTargets', { discover: false });
    return browser;
  }

  constructor(child, profile) {
    this.child = child;
    this.profile = profile;
    this.nextId = 1;
    this.waiting = new Map();
    this.listeners = [];
    this.stderr = '';
    let pending = Buffer.alloc(0);
    child.stdio[2].on('data', (chunk) => { this.stderr = (this.stderr + chunk).slice(-4000); });
    child.stdio[4].on('data', (chunk) => {
      pending = Buffer.concat([pending, chunk]);
      let end;
      while ((end = pending.indexOf(0)) >= 0) {
        const message = JSON.parse(pending.subarray(0, end).toString('utf8'));
        pending = pending.subarray(end + 1);
        this.dispatch(message);
      }
    });
    this.exited = new Promise((resolve) => child.on('exit', resolve));
    this.exited.then(() => {
      for (const { reject } of this.waiting.values()) reject(new Error('Chromium exited: ' + this.stderr));
      this.waiting.clear();
    });
  }

  dispatch(message) {
    if (message.id !== undefined) {
      const waiter = this.waiting.get(message.id);
      this.waiting.delete(message.id);
      if (!waiter) return;
      if (message.error) waiter.reject(new Error(`${waiter.method}: ${message.error.message}`));
      else waiter.resolve(message.result);
      return;
    }
    for (const listener of this.listeners) listener(message);
  }

  send(method, params = {}, sessionId = undefined) {
    const id = this.nextId++;
    const message = { id, method, params };
    if (sessionId) message.sessionId = sessionId;
    return new Promise((resolve, reject) => {
      this.waiting.set(id, { resolve, reject, method });
      this.child.stdio[3].write(JSON.stringify(message) + '\0');
    });
  }

  async open(url) {
    const { targetId } = await this.send('Target.createTarget', { url: 'about:blank' });
    const { sessionId } = await this.send('Target.attachToTarget', { targetId, flatten: true });
    const page = new Page(this, sessionId, targetId);
    await page.send('Runtime.enable');
    await page.send('Page.enable');
    await page.send('Page.navigate', { url });
    return page;
  }

  async close() {
    try {
      await Promise.race([this.send('Browser.close'), new Promise((r) => setTimeout(r, 3000))]);
    } catch (e) { /* already gone */ }
    // Chromium's helpers (GPU, renderers) live in its process group and may still write into the
    // profile after the browser's own process has gone.
    try { process.kill(-this.child.pid, 'SIGKILL'); } catch (e) { /* already gone */ }
    await this.exited;
    for (let attempt = 0; ; attempt++) {
      try {
        fs.rmSync(this.profile, { recursive: true, force: true });
        return;
      } catch (e) {
        if (attempt === 20) return console.log(`warning: ${this.profile} left behind: ${e.message}`);
        await new Promise((r) => setTimeout(r, 250));
      }
    }
  }
}

class Page {
  constructor(browser, sessionId, targetId) {
    this.browser = browser;
    this.sessionId = sessionId;
    this.targetId = targetId;
    this.console = [];
    browser.listeners.push((message) => {
      if (message.sessionId !== sessionId) return;
      if (message.method === 'Runtime.consoleAPICalled')
        this.console.push(message.params.args.map((a) => a.value).join(' '));
      if (message.method === 'Runtime.exceptionThrown')
        this.console.push('exception: ' + JSON.stringify(message.params.exceptionDetails.exception?.description));
    });
  }

  send(method, params = {}) { return this.browser.send(method, params, this.sessionId); }

  async close() { await this.browser.send('Target.closeTarget', { targetId: this.targetId }); }

  // The value of a script expression (awaited when it is a promise).
  async evaluate(expression) {
    const { result, exceptionDetails } = await this.send('Runtime.evaluate',
      { expression, awaitPromise: true, returnByValue: true });
    if (exceptionDetails) throw new Error(`${expression}: ${exceptionDetails.exception?.description || exceptionDetails.text}`);
    return result.value;
  }

  // Waits until the expression is truthy and returns its value; null after timeoutMs.
  async waitFor(expression, timeoutMs) {
    const until = Date.now() + timeoutMs;
    for (;;) {
      // Before the page has loaded, the expression may throw: not yet.
      const value = await this.evaluate(expression).catch(() => null);
      if (value) return value;
      if (Date.now() > until) return null;
      await new Promise((r) => setTimeout(r, 100));
    }
  }

  // A key pressed and released, as the keyboard would deliver it to the focused canvas.
  async key(name) {
    const keys = {
      Enter: { code: 'Enter', keyCode: 13, text: '\r' }, Escape: { code: 'Escape', keyCode: 27 },
      Space: { code: 'Space', keyCode: 32, text: ' ' }, f: { code: 'KeyF', keyCode: 70, text: 'f' },
    };
    const { code, keyCode, text } = keys[name];
    const common = { key: name, code, windowsVirtualKeyCode: keyCode, nativeVirtualKeyCode: keyCode };
    await this.send('Input.dispatchKeyEvent', { type: text ? 'keyDown' : 'rawKeyDown', ...common, ...(text ? { text } : {}) });
    await this.send('Input.dispatchKeyEvent', { type: 'keyUp', ...common });
  }

  // A file of the program's file system, as a Buffer.
  async readFile(name) {
    const base64 = await this.evaluate(`(() => {
      const bytes = Module.FS.readFile(${JSON.stringify(name)});
      let text = '';
      for (let i = 0; i < bytes.length; i += 32768) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 32768));
      return btoa(text);
    })()`);
    return Buffer.from(base64, 'base64');
  }

  async screenshot() {
    const { data } = await this.send('Page.captureScreenshot', { format: 'png' });
    return Buffer.from(data, 'base64');
  }
}

// The desktop's options as the page's address takes them: --a b --c becomes a=b&c.
function optionsToQuery(options) {
  const query = [];
  for (let i = 0; i < options.length; i++) {
    const name = options[i].replace(/^--/, '');
    const value = options[i + 1] !== undefined && !options[i + 1].startsWith('--') ? options[++i] : '';
    query.push(value === '' ? name : `${name}=${encodeURIComponent(value)}`);
  }
  return query.join('&');
}

module.exports = { Browser, optionsToQuery };
