// The backend registry and the headless backend.
#include "platform/win32/window_backend.h"

#include <cstdio>

namespace win32 {
namespace {

std::unique_ptr<WindowBackend>& ActiveBackend() {
  static std::unique_ptr<WindowBackend> backend = std::make_unique<HeadlessBackend>();
  return backend;
}

}  // namespace

WindowBackend& GetWindowBackend() { return *ActiveBackend(); }

void SetWindowBackend(std::unique_ptr<WindowBackend> backend) {
  ActiveBackend() = backend ? std::move(backend) : std::make_unique<HeadlessBackend>();
}

std::vector<ScreenMode> StandardScreenModes(int refreshHz) {
  static const int kSizes[][2] = {{320, 200},  {320, 240},  {400, 300},  {512, 384},  {640, 400},
                                  {640, 480},  {800, 600},  {1024, 768}, {1152, 864}, {1280, 720},
                                  {1280, 960}, {1280, 1024}, {1600, 1200}, {1920, 1080}};
  std::vector<ScreenMode> modes;
  for (const auto& size : kSizes) {
    for (int bits : {16, 32}) modes.push_back(ScreenMode{size[0], size[1], bits, refreshHz});
  }
  return modes;
}

HeadlessBackend::HeadlessBackend()
    : modes_(StandardScreenModes(60)), desktop_(ScreenMode{1024, 768, 32, 60}) {}

int HeadlessBackend::ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  std::fprintf(stderr, "%s: %s\n", caption, text);
  return IDOK;
}

}  // namespace win32
