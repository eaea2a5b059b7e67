// The glowing knot: 18041 ms until 36083 ms, while part02 is set; played without part01, it re-
// bases the timeline to its own start.
// Its frame is still the empty one: clear and present.
#include "demo/demo.h"
#include "demo/part_loop.h"

void Demo::PartSlot1() {
  EmptyScene scene;
  PartLoop(*this, PartWindow{&flags.part02, &flags.part01, 18041, 36083, false, false}, scene);
}
