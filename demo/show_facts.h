// What the show tells its hosts about a run in the current directory, so that no host re-reads the
// show's files by the show's rules: whether part.txt is there and names a part, whether the run
// ends by itself, and where a video of it ends.
#pragma once

namespace show {

struct Facts {
  bool partFilePresent = false;  // a regular file "part.txt" in the current directory
  bool anyPartPlays = false;     // it names a part (or the page without end)
  bool endsByItself = true;      // false: the page without end ("secret") loops until Escape
  long captureEndMs = 0;         // timeline ms: where a video of the whole show ends
};

// Reads "part.txt" by the same rule as the show's constructor.
Facts ReadFacts();

// Puts back what a process starts with and the entry does not set itself (the runtime's rand()
// sequence, the counters that number lights and traced textures), so that the entry can run
// again in the same process and play as a fresh one does: a viewer's seek back replays the show
// from its start this way.
void PrepareAnotherRun();

}  // namespace show
