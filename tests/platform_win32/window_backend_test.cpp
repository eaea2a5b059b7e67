#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cstdlib>

#include "platform/win32/sdl_window_backend.h"
#include "platform/win32/window_backend.h"
#include "win32_test_support.h"

namespace {

using win32::ScreenMode;

TEST(HeadlessBackendTest, OffersEveryStandardSizeInBothDepthsAndCanBeReplaced) {
  win32::SetWindowBackend(nullptr);  // back to the default
  auto* headless = dynamic_cast<win32::HeadlessBackend*>(&win32::GetWindowBackend());
  ASSERT_NE(headless, nullptr) << "headless is the default backend";

  const auto modes = headless->DisplayModes();
  EXPECT_GT(modes.size(), 14u);  // more than the show asks for
  for (const auto& [w, h] : {std::pair{320, 200}, {320, 240}, {640, 400}, {640, 480}, {800, 600},
                             {1024, 768}, {1280, 960}}) {
    for (int bits : {16, 32}) {
      const bool found = std::any_of(modes.begin(), modes.end(), [&](const ScreenMode& m) {
        return m.width == w && m.height == h && m.bitsPerPixel == bits;
      });
      EXPECT_TRUE(found) << w << "x" << h << "x" << bits;
    }
  }

  headless->SetDisplayModes({ScreenMode{640, 480, 16, 60}});
  headless->SetDesktopMode(ScreenMode{640, 480, 16, 60});
  EXPECT_EQ(win32::GetWindowBackend().DisplayModes(), (std::vector{ScreenMode{640, 480, 16, 60}}));
  EXPECT_EQ(win32::GetWindowBackend().DesktopMode().bitsPerPixel, 16);
  win32::SetWindowBackend(nullptr);
  EXPECT_EQ(win32::GetWindowBackend().DisplayModes(), modes);
}

TEST(HeadlessBackendTest, MessageBoxesGoToStderrAndTheCursorFollowsItsCounter) {
  win32::SetWindowBackend(nullptr);
  testing::internal::CaptureStderr();
  const int result = MessageBoxA(nullptr, "Unable to create Direct3D Device", "DX Engine::DX8 Error",
                                 MB_OK);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "DX Engine::DX8 Error: Unable to create Direct3D Device\n");
  EXPECT_EQ(result, IDOK);

  auto& headless = dynamic_cast<win32::HeadlessBackend&>(win32::GetWindowBackend());
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_FALSE(headless.CursorVisible());
  EXPECT_EQ(ShowCursor(FALSE), -2);
  EXPECT_EQ(ShowCursor(TRUE), -1);
  EXPECT_FALSE(headless.CursorVisible());
  EXPECT_EQ(ShowCursor(TRUE), 0);
  EXPECT_TRUE(headless.CursorVisible());
}

// SDL's dummy video driver: real SDL code paths without a display.
class SdlBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    auto backend = std::make_unique<win32::SdlWindowBackend>();
    std::string error;
    ASSERT_TRUE(backend->Open(error)) << error;
    win32::SetWindowBackend(std::move(backend));
    win32_test::DrainQueue();
  }
  void TearDown() override {
    win32_test::DrainQueue();
    win32::SetWindowBackend(nullptr);
  }
  static void Push(Uint32 type, SDL_Keycode key) {
    SDL_Event event{};
    event.type = type;
    event.key.keysym.sym = key;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
  }
};

TEST_F(SdlBackendTest, KeysAndCloseRequestsBecomeKeyMessagesForTheWindow) {
  HWND window = win32_test::NewWindow(320, 200);
  RECT rc{};
  ASSERT_TRUE(GetClientRect(window, &rc));
  EXPECT_EQ(rc.right, 320);
  EXPECT_EQ(rc.bottom, 200);

  Push(SDL_KEYDOWN, SDLK_a);
  Push(SDL_KEYUP, SDLK_a);
  Push(SDL_KEYDOWN, SDLK_LSHIFT + 0x1000);  // a key the system never sees: dropped
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  ASSERT_EQ(SDL_PushEvent(&quit), 1);

  std::vector<std::pair<UINT, WPARAM>> seen;
  MSG msg{};
  while (PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) seen.emplace_back(msg.message, msg.wParam);
  const std::vector<std::pair<UINT, WPARAM>> expected = {
      {WM_KEYDOWN, 'A'}, {WM_KEYUP, 'A'}, {WM_KEYDOWN, VK_ESCAPE}, {WM_KEYUP, VK_ESCAPE}};
  EXPECT_EQ(seen, expected);
}

TEST_F(SdlBackendTest, FramesModesAndMessageBoxesWorkWithoutARealScreen) {
  HWND window = win32_test::NewWindow(64, 48);
  platform::FrameImage image;
  image.width = 64;
  image.height = 48;
  image.xrgb.assign(64 * 48, 0x00FF8000u);
  auto& backend = win32::GetWindowBackend();
  backend.ShowFrame(window, image);
  backend.SetFullscreen(window, true);
  backend.ShowFrame(window, image);
  backend.SetFullscreen(window, false);

  EXPECT_EQ(backend.DisplayModes(), win32::StandardScreenModes(backend.DesktopMode().refreshHz));
  EXPECT_GT(backend.DesktopMode().width, 0);

  // The dummy driver has no message boxes: the text goes to stderr instead.
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(window, "text", "caption", MB_OK), IDOK);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "caption: text\n");
}

}  // namespace
