// The echo trail: 50793 ms until 54172 ms, while part05 is set; played without part04, it re-bases
// the timeline to its own start.
// Its frame is still the empty one: clear and present.
#include "demo/demo.h"
#include "demo/part_loop.h"

void Demo::PartSlot4() {
  EmptyScene scene;
  PartLoop(*this, PartWindow{&flags.part05, &flags.part04, 50793, 54172, false, false}, scene);
}
