// The dot-matrix tunnel: 54172 ms until 72190 ms, while part06 is set; played without part05, it
// re-bases the timeline to its own start.
// Its frame is still the empty one: clear and present.
#include "demo/demo.h"
#include "demo/part_loop.h"

void Demo::PartSlot5() {
  EmptyScene scene;
  PartLoop(*this, PartWindow{&flags.part06, &flags.part05, 54172, 72190}, scene);
}
