// PartLoop's rules on a headless window with the fixed-step clock (100 frames per second), with
// scenes that only count frames and move the clock as a Present would.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>

#include "Win32Platform/Window/qv_core.h"
#include "demo/demo.h"
#include "demo/globals.h"
#include "demo/part_loop.h"
#include "resources/compiled_resources.h"
#include "resources/resource_ids.h"
#include "platform/settings/settings.h"
#include "platform/win32/win32_host.h"
#include "platform/win32/window_backend.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

namespace {

class CountingScene : public PartScene {
 public:
  explicit CountingScene(std::function<void(int)> onFrame = nullptr) : onFrame_(std::move(onFrame)) {}
  void Frame(float) override {
    ++frames;
    if (onFrame_) onFrame_(frames);
    win32::AdvanceClockOneFrame();
  }
  int frames = 0;

 private:
  std::function<void(int)> onFrame_;
};

class PartLoopTest : public testing::Test {
 protected:
  // One main window for the whole suite: its class can be registered only once per process.
  static void SetUpTestSuite() {
    g_pCore = new QvCore();
    g_pCore->Create(640, 480, 1, nullptr);
    g_pCore->Show();
  }
  static void TearDownTestSuite() {
    delete g_pCore;
    g_pCore = nullptr;
  }
  void SetUp() override {
    platform::Settings settings;
    settings.fixedStepFps = 100;
    platform::Apply(std::move(settings));
  }
  void TearDown() override {
    MSG leftover;
    while (PeekMessageA(&leftover, nullptr, 0, 0, PM_REMOVE)) {
    }
    platform::Apply({});
  }
  BYTE on_ = 1, off_ = 0;
};

TEST_F(PartLoopTest, RunsUntilTheEndOfItsWindow) {
  Demo demo;
  demo.startTick = GetTickCount();
  CountingScene scene;
  PartLoop(demo, PartWindow{&on_, nullptr, 0, 100}, scene);
  EXPECT_EQ(scene.frames, 10);  // 0, 10, ..., 90 ms
  CountingScene after;
  PartLoop(demo, PartWindow{&on_, nullptr, 0, 200, PartEnd::kPassed}, after);
  EXPECT_EQ(after.frames, 11);  // 100 .. 200 ms: the end itself still plays
}

TEST_F(PartLoopTest, PreviousFlagOffReBasesTheTimelineToTheScheduledStart) {
  Demo demo;
  demo.startTick = GetTickCount();
  CountingScene scene([&](int) {});
  PartLoop(demo, PartWindow{&on_, &off_, 50793, 50893}, scene);
  EXPECT_EQ(scene.frames, 10);
  EXPECT_EQ(TimelineMs(demo), 50893);
  CountingScene gated;
  PartLoop(demo, PartWindow{&off_, &on_, 0, 1000000}, gated);  // own flag off: no frame
  EXPECT_EQ(gated.frames, 0);
}

TEST_F(PartLoopTest, QuitMessageEndsOnlyThisPart) {
  Demo demo;
  demo.startTick = GetTickCount();
  CountingScene scene([](int frame) {
    if (frame == 3) PostQuitMessage(0);
  });
  PartLoop(demo, PartWindow{&on_, nullptr, 0, 0, PartEnd::kNever}, scene);
  EXPECT_EQ(scene.frames, 3);
  EXPECT_EQ(demo.running, 1);
  CountingScene next;
  PartLoop(demo, PartWindow{&on_, nullptr, 0, 100}, next);
  EXPECT_GT(next.frames, 0);
}

TEST_F(PartLoopTest, EscapeIsSeenAtTheNextFrameWhichStillPlaysAndEndsTheShow) {
  Demo demo;
  demo.startTick = GetTickCount();
  CountingScene scene([](int frame) {
    if (frame == 2) PostMessageA(g_pCore->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
  });
  PartLoop(demo, PartWindow{&on_, nullptr, 0, 0, PartEnd::kNever}, scene);
  EXPECT_EQ(scene.frames, 3);
  EXPECT_EQ(demo.running, 0);
  CountingScene later;
  PartLoop(demo, PartWindow{nullptr, nullptr, 0, 0, PartEnd::kNever}, later);
  EXPECT_EQ(later.frames, 0);
}

TEST_F(PartLoopTest, CloseQuitsThroughTheQueueAndKeepsTheWindow) {
  EXPECT_EQ(QvCore::WndProc(g_pCore->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0), 0);  // swallowed
  g_pCore->Close();
  EXPECT_TRUE(IsWindow(g_pCore->m_hWnd));
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, g_pCore->m_hWnd, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(GetMessageA(&msg, g_pCore->m_hWnd, 0, 0), 0);  // WM_QUIT
  EXPECT_EQ(QvCoreWindowStyle(1), 0x82C90000u);
  EXPECT_EQ(QvCoreWindowStyle(7), 0x82C90000u);
  EXPECT_EQ(QvCoreWindowStyle(0), 0x86CD0000u);
  EXPECT_EQ(QvCoreWindowStyle(2), 0x92000000u);
}

// The setup dialog answered with "Windowed" and then OK or Cancel as the entry runs it, on
// `backend` (null: the one in place).
void AnswerSetupWith(int command, std::unique_ptr<win32::WindowBackend> backend = nullptr) {
  for (const resources::Resource& r : resources::CompiledResources())
    win32::RegisterResource(r.type, r.id, r.bytes, r.size);
  platform::Settings settings;
  settings.windowBackend = std::move(backend);
  settings.dialogAnswer = [command](HWND dialog) {
    SendMessageA(GetDlgItem(dialog, IDC_WINDOWED), BM_CLICK, 0, 0);
    SendMessageA(dialog, WM_COMMAND, WPARAM(command), 0);
    return true;
  };
  platform::Apply(std::move(settings));
}

TEST(Entry, NoDeviceEndsTheProgramWithMinusOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        // An 8-bit desktop: no back buffer of the software device can take its format.
        auto backend = std::make_unique<win32::HeadlessBackend>();
        backend->SetDesktopMode({640, 480, 8, 60});
        AnswerSetupWith(IDOK, std::move(backend));
        std::exit(WinMain(nullptr, nullptr, nullptr, 1) & 0xFF);
      },
      testing::ExitedWithCode(255), "DX Engine::DX8 Error: Unable to create Direct3D Device");
}

TEST(Entry, CancelReturnsOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        AnswerSetupWith(IDCANCEL);
        std::exit(WinMain(nullptr, nullptr, nullptr, 1));
      },
      testing::ExitedWithCode(1), "");
}

}  // namespace
