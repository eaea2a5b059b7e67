// The page's show runs on the browser's one thread: after each presented frame it gives the
// browser its turn (to show the canvas, deliver input and feed the sound) and resumes where it
// stopped. The blocking loops stay as they are: emscripten's ASYNCIFY unwinds the stack here and
// rewinds it when the browser calls back.
#pragma once

namespace host::web {

// With `nextAnimationFrame` the show waits for the browser's next frame (the page's vsync);
// otherwise it resumes as soon as the browser has run what is queued.
void GiveTheBrowserItsTurn(bool nextAnimationFrame);

}  // namespace host::web
