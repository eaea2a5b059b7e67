// The one present handler of the process.
#include "platform/present/present.h"

#include <utility>

namespace platform {
namespace {

PresentHandler& Handler() {
  static PresentHandler handler;
  return handler;
}

}  // namespace

void SetPresentHandler(PresentHandler handler) { Handler() = std::move(handler); }

void DeliverPresent(HWND__* window, const FrameImage* image) {
  if (Handler()) Handler()(window, image);
}

}  // namespace platform
