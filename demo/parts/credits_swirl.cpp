// The credits swirl: 126223 ms until 136382 ms, while part09 is set; played without part08, it re-
// bases the timeline to its own start.
// Its frame is still the empty one: clear and present.
#include "demo/demo.h"
#include "demo/part_loop.h"

void Demo::PartSlot8() {
  EmptyScene scene;
  PartLoop(*this, PartWindow{&flags.part09, &flags.part08, 126223, 136382}, scene);
}
