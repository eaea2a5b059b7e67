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
bool g_pixelsDrawn = true;
unsigned long g_undrawnPresented = 0;

}  // namespace

void SetPresentHandler(PresentHandler handler) { Handler() = std::move(handler); }

void DeliverPresent(HWND__* window, const FrameImage* image) {
  if (Handler()) Handler()(window, image);
}

void SetFramePixelsWanted(bool wanted) { g_pixelsWanted = wanted; }
bool FramePixelsWanted() { return g_pixelsWanted; }

void SetPixelsDrawn(bool drawn) { g_pixelsDrawn = drawn; }
bool PixelsDrawn() { return g_pixelsDrawn; }

void NoteUndrawnPixelsPresented() { ++g_undrawnPresented; }
unsigned long UndrawnPixelsPresented() { return g_undrawnPresented; }

}  // namespace platform
