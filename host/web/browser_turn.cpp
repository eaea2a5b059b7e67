#include "host/web/browser_turn.h"

#include <emscripten.h>

namespace host::web {
namespace {

// A message to ourselves rather than setTimeout(0), which browsers stretch to 4 ms once timers
// nest: a fixed-step run is not held to 250 frames a second.
EM_ASYNC_JS(void, WaitForTheBrowser, (int nextAnimationFrame), {
  await new Promise(resolve => {
    if (nextAnimationFrame) {
      requestAnimationFrame(() => resolve());
      return;
    }
    const channel = new MessageChannel();
    channel.port1.onmessage = () => resolve();
    channel.port2.postMessage(0);
  });
});

}  // namespace

void GiveTheBrowserItsTurn(bool nextAnimationFrame) { WaitForTheBrowser(nextAnimationFrame ? 1 : 0); }

}  // namespace host::web
