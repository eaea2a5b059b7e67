// The secret picture page (the "secret" variant of slot 9): no time limit: Escape or the window's
// quit message ends it, only while the show runs.
// Its frame is still the empty one: clear and present.
#include "demo/demo.h"
#include "demo/part_loop.h"

void Demo::PlaySecretPicturePage() {
  EmptyScene scene;
  PartLoop(*this, PartWindow{nullptr, nullptr, 0, 0, PartEnd::kNever}, scene);
}
