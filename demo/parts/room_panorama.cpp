// The room panorama (the "room" variant of slot 6): 72190 ms until the timeline has passed 107010
// ms, while part07 is set; played without part06, it re-bases the timeline to its own start.
// Its frame is still the empty one: clear and present.
#include "demo/demo.h"
#include "demo/part_loop.h"

void Demo::PlayRoomPanorama() {
  EmptyScene scene;
  PartLoop(*this, PartWindow{&flags.part07, &flags.part06, 72190, 107010, PartEnd::kPassed}, scene);
}
