// The finale ball tower: no time limit: Escape or the window's quit message ends it, while part10
// is set; played without part09, it re-bases the timeline to its own start.
// Its frame is still the empty one: clear and present.
#include "demo/demo.h"
#include "demo/part_loop.h"

void Demo::PartSlot9() {
  EmptyScene scene;
  PartLoop(*this, PartWindow{&flags.part10, &flags.part09, 136382, 0, PartEnd::kNever}, scene);
}
