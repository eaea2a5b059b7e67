// The jellyfish hall: 107010 ms until 126223 ms, while part08 is set; played without part07, it
// re-bases the timeline to its own start.
// Its frame is still the empty one: clear and present.
#include "demo/demo.h"
#include "demo/part_loop.h"

void Demo::PartSlot7() {
  EmptyScene scene;
  PartLoop(*this, PartWindow{&flags.part08, &flags.part07, 107010, 126223}, scene);
}
