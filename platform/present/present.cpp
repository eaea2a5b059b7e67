// The one present handler of the process.
#include "platform/present/present.h"

#include <utility>

namespace platform {
namespace {

PresentHandler& Handler() {
  static PresentHandler handler;
  return handler;
}

bool g_pixelsWanted = true;

}  // namespace

void SetPresentHandler(PresentHandler handler) { Handler() = std::move(handler); }

void DeliverPresent(HWND__* window, const FrameImage* image) {
  if (Handler()) Handler()(window, image);
}

void SetFramePixelsWanted(bool wanted) { g_pixelsWanted = wanted; }
bool FramePixelsWanted() { return g_pixelsWanted; }

}  // namespace platform
