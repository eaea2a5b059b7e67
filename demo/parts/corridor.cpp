// The opening corridor fly-through: 0 ms until 18041 ms, while part01 is set.
// Its frame is still the empty one: clear and present.
#include "demo/demo.h"
#include "demo/part_loop.h"

void Demo::PartSlot0() {
  EmptyScene scene;
  PartLoop(*this, PartWindow{&flags.part01, nullptr, 0, 18041, false, false}, scene);
}
