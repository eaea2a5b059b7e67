// The ripple grid: 45162 ms until 50793 ms, while part04 is set; played without part03, it re-
// bases the timeline to its own start.
// Its frame is still the empty one: clear and present.
#include "demo/demo.h"
#include "demo/part_loop.h"

void Demo::PartSlot3() {
  EmptyScene scene;
  PartLoop(*this, PartWindow{&flags.part04, &flags.part03, 45162, 50793, false, false}, scene);
}
