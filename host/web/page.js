// The page around the show: the address's options become the program's command line (as on the
// desktop: ?mode=640x480x32&windowed&silent&device=ref&fixed-step=60&escape-at=20000), the show's
// three files are fetched into the program's current folder, and what the program says on
// standard error (failures, message boxes) becomes the one line under the canvas.
'use strict';

(function () {
  const canvas = document.getElementById('canvas');
  const stage = document.getElementById('stage');
  const status = document.getElementById('status');
  const params = new URLSearchParams(location.search);

  function say(line, failure) {
    status.textContent = line;
    status.classList.toggle('failure', !!failure);
  }

  // ?a=b&c becomes --a b --c.
  const args = [];
  for (const [name, value] of params) {
    args.push('--' + name);
    if (value !== '') args.push(value);
  }
  const sharp = params.get('scale') === 'sharp';
  canvas.classList.toggle('sharp', sharp);

  // The letterbox: the largest size of the canvas's own shape in the stage; with sharp scaling in
  // whole multiples of its pixels (at least one), as the desktop window does.
  function fit() {
    const width = canvas.width, height = canvas.height;
    if (!width || !height) return;
    const room = stage.getBoundingClientRect();
    const ratio = window.devicePixelRatio || 1;
    let scale = Math.min(room.width / width, room.height / height);
    if (sharp) scale = Math.max(1, Math.floor(scale * ratio)) / ratio;
    canvas.style.width = Math.floor(width * scale) + 'px';
    canvas.style.height = Math.floor(height * scale) + 'px';
  }
  new MutationObserver(fit).observe(canvas, { attributes: true, attributeFilter: ['width', 'height'] });
  // The stage's size changes after the fullscreenchange event, at the browser's own pace.
  new ResizeObserver(fit).observe(stage);

  // Full screen through the browser: F (or a double click) on the page; the browser's own Escape
  // leaves it, the show's Escape ends the show.
  function setFullscreen(on) {
    if (!on) {
      if (document.fullscreenElement) document.exitFullscreen();
    } else if (!document.fullscreenElement) {
      stage.requestFullscreen().catch(() => say('The browser refused full screen: F or a double click asks again.'));
    }
  }
  const toggleFullscreen = () => setFullscreen(!document.fullscreenElement);
  window.addEventListener('keydown', (event) => {
    if (event.key === 'f' || event.key === 'F') toggleFullscreen();
  }, true);
  canvas.addEventListener('dblclick', toggleFullscreen);

  const files = ['lab.ac', 'lab.mp3', 'part.txt'];
  window.Module = {
    canvas: canvas,
    // The show's full screen (the dialog's choice, --fullscreen) is the page's.
    setFullscreen: setFullscreen,
    arguments: args,
    print: (line) => console.log(line),
    printErr: (line) => {
      console.warn(line);
      say(line, false);
    },
    preRun: [function () {
      // A file the server lacks is left out: the program then says what is missing, as it does on
      // the desktop.
      for (const name of files) {
        Module.addRunDependency('fetch ' + name);
        fetch(name, { cache: 'no-cache' })
          .then((response) => (response.ok ? response.arrayBuffer() : null))
          .catch(() => null)
          .then((bytes) => {
            if (bytes) Module.FS.writeFile(name, new Uint8Array(bytes));
            Module.removeRunDependency('fetch ' + name);
          });
      }
    }],
    onRuntimeInitialized: () => {
      if (status.textContent === 'Loading the show…') say('');
      canvas.focus();
    },
    onExit: (code) => {
      window.vornholdExit = code;
      // 1 is the show's own end (or Cancel); anything else a failure, whose line is already there.
      if (code === 1) say('The show has ended.');
      else status.classList.add('failure');
      if (document.fullscreenElement) document.exitFullscreen();
    },
    onAbort: (what) => {
      window.vornholdExit = 'abort';
      say('The show stopped: ' + what, true);
    },
  };
  if (typeof WebAssembly !== 'object') say('This browser cannot run WebAssembly.', true);
})();
