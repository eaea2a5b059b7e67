// The ball column: 36083 ms until 45162 ms, while part03 is set; played without part02, it re-
// bases the timeline to its own start.
// Its frame is still the empty one: clear and present.
#include "demo/demo.h"
#include "demo/part_loop.h"

void Demo::PartSlot2() {
  EmptyScene scene;
  PartLoop(*this, PartWindow{&flags.part03, &flags.part02, 36083, 45162, false, false}, scene);
}
