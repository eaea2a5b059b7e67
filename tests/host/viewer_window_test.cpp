// The viewer's window over a fake backend: which keys the host keeps and what they do, the frame
// a screenshot writes, the overlay kept out of the frame, a pause's hold, and a window kept across
// a restart.
#include "host/viewer_window.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/d3dx8/image_decode.h"

namespace {

namespace fs = std::filesystem;
using win32::NativeKeyEvent;

// Records what reaches the real backend; hands out queued batches of native events.
struct FakeBackend final : win32::WindowBackend {
  std::deque<std::vector<NativeKeyEvent>> batches;
  std::vector<std::string> calls;  // window operations, in order
  std::vector<platform::FrameImage> shown;
  std::vector<HWND> shownIn;
  bool overlaySet = false;
  bool canWait = true;

  void CreateNativeWindow(HWND w, const char*, int width, int height) override {
    calls.push_back("create " + Name(w) + " " + std::to_string(width) + "x" + std::to_string(height));
  }
  void DestroyNativeWindow(HWND w) override { calls.push_back("destroy " + Name(w)); }
  void ShowNativeWindow(HWND w, bool visible) override {
    calls.push_back((visible ? "show " : "hide ") + Name(w));
  }
  void SetFullscreen(HWND w, bool on) override { calls.push_back((on ? "fullscreen " : "windowed ") + Name(w)); }
  std::vector<NativeKeyEvent> PollEvents() override {
    if (batches.empty()) return {};
    auto batch = batches.front();
    batches.pop_front();
    return batch;
  }
  bool WaitForEvents(int) override { return canWait; }
  void SetCursorVisible(bool) override {}
  int ShowMessageBox(HWND, const char*, const char*, UINT) override { return IDOK; }
  std::vector<win32::ScreenMode> DisplayModes() const override { return {}; }
  win32::ScreenMode DesktopMode() const override { return {}; }
  void ShowFrame(HWND w, const platform::FrameImage& image) override {
    shown.push_back(image);
    shownIn.push_back(w);
  }
  void SetOverlay(HWND, const platform::FrameImage* argb) override { overlaySet = argb && argb->width > 0; }

  static std::string Name(HWND w) { return w == A() ? "A" : w == B() ? "B" : w == C() ? "C" : "?"; }
  static HWND A() { return reinterpret_cast<HWND>(0x10); }
  static HWND B() { return reinterpret_cast<HWND>(0x20); }
  static HWND C() { return reinterpret_cast<HWND>(0x30); }
};

// The timeline as a log of the calls the keys make; `refusal` is what every call answers.
struct LoggedTimeline final : host::TimelineKeys {
  std::vector<std::string> log;
  std::string refusal;
  bool paused = false;

  std::string TogglePause() override { return Log("pause"), paused = !paused, refusal; }
  std::string SeekBy(long ms) override { return Log("seek " + std::to_string(ms)); }
  std::string StepPart(int step) override { return Log("part " + std::to_string(step)); }
  std::string Restart() override { return Log("restart"); }
  bool Paused() const override { return paused; }
  host::ViewerStatus Status() const override { return {61234, 3, "software"}; }
  std::string Log(const std::string& call) {
    log.push_back(call);
    return refusal;
  }
};

NativeKeyEvent Down(WPARAM key, bool repeat = false) { return {FakeBackend::A(), key, true, repeat}; }
NativeKeyEvent Up(WPARAM key) { return {FakeBackend::A(), key, false, false}; }

std::string Keys(const std::vector<NativeKeyEvent>& events) {
  std::string out;
  for (const NativeKeyEvent& e : events) out += (out.empty() ? "" : " ") + std::to_string(e.virtualKey) + (e.down ? "v" : "^");
  return out;
}

platform::FrameImage Picture(int width, int height) {
  platform::FrameImage image{width, height, {}};
  for (int i = 0; i < width * height; ++i) image.xrgb.push_back(0x102030u + std::uint32_t(i) * 0x010101u);
  return image;
}

// A window over a fake backend, with window A made and shown.
struct Viewer {
  FakeBackend* fake = nullptr;
  LoggedTimeline timeline;
  std::unique_ptr<host::ViewerWindow> window;

  Viewer() {
    auto backend = std::make_unique<FakeBackend>();
    fake = backend.get();
    window = std::make_unique<host::ViewerWindow>(std::move(backend));
    window->SetTimelineKeys(&timeline);
    window->CreateNativeWindow(FakeBackend::A(), "show", 4, 3);
    window->ShowNativeWindow(FakeBackend::A(), true);
    fake->calls.clear();
  }
  std::vector<NativeKeyEvent> Press(std::vector<NativeKeyEvent> events) {
    fake->batches.push_back(std::move(events));
    return window->PollEvents();
  }
};

// Runs the test in a folder of its own, where screenshots land.
struct InFolder {
  fs::path before = fs::current_path();
  fs::path folder = fs::temp_directory_path() / ("viewer_window_test_" + std::to_string(::getpid()));
  InFolder() {
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::current_path(folder);
  }
  ~InFolder() {
    fs::current_path(before);
    fs::remove_all(folder);
  }
};

TEST(ViewerWindow, TakesTheHostsKeysAndPassesTheShowsOn) {
  struct Row {
    const char* what;
    std::vector<NativeKeyEvent> events;
    std::string passed;  // as Keys() writes them
    std::vector<std::string> timeline;
    std::vector<std::string> window;
  };
  const Row rows[] = {
      {"Space pauses, once however long held", {Down(VK_SPACE), Down(VK_SPACE, true), Up(VK_SPACE)}, "", {"pause"}, {}},
      {"held Left seeks again and again", {Down(VK_LEFT), Down(VK_LEFT, true), Up(VK_LEFT)}, "",
       {"seek -5000", "seek -5000"}, {}},
      {"Right seeks on", {Down(VK_RIGHT), Up(VK_RIGHT)}, "", {"seek 5000"}, {}},
      {"Page Up and Page Down step parts, once each", {Down(VK_PRIOR), Down(VK_NEXT), Down(VK_NEXT, true)}, "",
       {"part -1", "part 1"}, {}},
      {"Home restarts", {Down(VK_HOME), Up(VK_HOME)}, "", {"restart"}, {}},
      {"Escape reaches the show", {Down(VK_ESCAPE), Up(VK_ESCAPE)}, "27v 27^", {}, {}},
      {"other keys too, Enter alone among them", {Down('A'), Up('A'), Down(VK_RETURN), Up(VK_RETURN)},
       "65v 65^ 13v 13^", {}, {}},
      {"F11 toggles full screen", {Down(VK_F11), Up(VK_F11), Down(VK_F11)}, "", {}, {"fullscreen A", "windowed A"}},
      {"Alt+Enter too; Alt itself reaches the show",
       {Down(VK_MENU), Down(VK_RETURN), Up(VK_RETURN), Up(VK_MENU), Down(VK_RETURN)}, "18v 18^ 13v", {},
       {"fullscreen A"}},
      {"a release without its press, of a host key", {Up(VK_F12), Up(VK_SPACE)}, "", {}, {}},
  };
  for (const Row& row : rows) {
    Viewer viewer;
    EXPECT_EQ(Keys(viewer.Press(row.events)), row.passed) << row.what;
    EXPECT_EQ(viewer.timeline.log, row.timeline) << row.what;
    EXPECT_EQ(viewer.fake->calls, row.window) << row.what;
  }
}

TEST(ViewerWindow, TimelineKeysDoNothingUntilATimelineIsSet) {
  auto backend = std::make_unique<FakeBackend>();
  FakeBackend* fake = backend.get();
  host::ViewerWindow window(std::move(backend));
  fake->batches.push_back({Down(VK_SPACE), Down(VK_LEFT), Down(VK_HOME), Down(VK_NEXT), Down('A')});
  EXPECT_EQ(Keys(window.PollEvents()), "65v");
  EXPECT_FALSE(fake->overlaySet);
}

// The frame goes to the window as given; the overlay travels apart from it and never into the
// screenshot, which is the frame's own pixels at its own size.
TEST(ViewerWindow, ScreenshotIsTheFrameWithoutTheOverlay) {
  InFolder folder;
  Viewer viewer;
  const platform::FrameImage frame = Picture(5, 4);
  viewer.Press({Down(VK_F1)});
  viewer.window->ShowFrame(FakeBackend::A(), frame);
  ASSERT_TRUE(viewer.fake->overlaySet);
  EXPECT_EQ(viewer.fake->shown.back().xrgb, frame.xrgb);

  viewer.Press({Down(VK_F12), Up(VK_F12), Down(VK_F12)});
  for (const char* name : {"vornhold-0061234ms.png", "vornhold-0061234ms-2.png"}) {  // the first is kept
    std::ifstream in(name, std::ios::binary);
    ASSERT_TRUE(in) << name;
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    d3dx::DecodedImage png;
    ASSERT_EQ(d3dx::DecodePng(bytes.data(), bytes.size(), &png), D3D_OK) << name;
    ASSERT_EQ(png.width, 5);
    ASSERT_EQ(png.height, 4);
    for (std::size_t i = 0; i < frame.xrgb.size(); ++i) EXPECT_EQ(png.argb[i], 0xFF000000u | frame.xrgb[i]) << i;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 2);
}

TEST(ViewerWindow, AScreenshotThatCannotBeWrittenLeavesNothingAndTheShowGoesOn) {
  InFolder folder;
  Viewer viewer;
  viewer.window->ShowFrame(FakeBackend::A(), Picture(2, 2));
  fs::create_directory("gone");
  fs::current_path("gone");
  fs::remove("../gone");  // the current folder no longer exists: nothing can be written in it
  testing::internal::CaptureStderr();
  viewer.Press({Down(VK_F12)});
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said.rfind("vornhold: screenshot vornhold-0061234ms.png not written: ", 0), 0u) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  fs::current_path(folder.folder);
  EXPECT_TRUE(fs::is_empty("."));
  EXPECT_EQ(viewer.Press({Down(VK_SPACE), Down(VK_ESCAPE)}).size(), 1u);
  EXPECT_EQ(viewer.timeline.log, std::vector<std::string>{"pause"});
}

// A refusal is shown at once, over the frame shown again, even with the overlay off.
TEST(ViewerWindow, ARefusedKeyIsShownOnTheOverlay) {
  Viewer viewer;
  viewer.timeline.refusal = "the secret page has no timeline: seeking is off";
  viewer.window->ShowFrame(FakeBackend::A(), Picture(2, 2));
  ASSERT_FALSE(viewer.fake->overlaySet);
  viewer.Press({Down(VK_RIGHT)});
  EXPECT_TRUE(viewer.fake->overlaySet);
  EXPECT_EQ(viewer.fake->shown.size(), 2u);
}

TEST(ViewerWindow, HoldActsOnKeysAndReturnsForTheShowsEscape) {
  Viewer viewer;
  viewer.window->ShowFrame(FakeBackend::A(), Picture(2, 2));
  viewer.fake->batches = {{Down(VK_F1)}, {}, {Down('A'), Down(VK_ESCAPE), Up(VK_ESCAPE)}, {Down(VK_SPACE)}};
  int asked = 0;
  viewer.window->HoldWhile([&] { return ++asked < 100; });
  EXPECT_EQ(asked, 4);  // the Escape ended the hold, not the condition
  EXPECT_TRUE(viewer.window->OverlayOn());
  EXPECT_GE(viewer.fake->shown.size(), 2u);  // the overlay came over the last frame
  EXPECT_EQ(viewer.fake->shownIn.back(), FakeBackend::A());
  EXPECT_EQ(Keys(viewer.window->PollEvents()), "65v 27v 27^");  // kept for the show, the Space taken
  EXPECT_EQ(viewer.timeline.log, std::vector<std::string>{"pause"});
}

TEST(ViewerWindow, HoldEndsWithItsConditionOrWithoutNativeEvents) {
  Viewer viewer;
  int asked = 0;
  viewer.window->HoldWhile([&] { return ++asked < 3; });
  EXPECT_EQ(asked, 3);
  viewer.fake->canWait = false;
  asked = 0;
  viewer.window->HoldWhile([&] { return ++asked < 3; });
  EXPECT_EQ(asked, 1);
}

TEST(ViewerWindow, ARestartedShowTakesOverTheWindowAsItStands) {
  Viewer viewer;
  viewer.window->SetFullscreen(FakeBackend::A(), true);
  viewer.window->KeepWindowForRestart(true);
  // The ending show leaves full screen, hides and destroys its window; the next one makes its own.
  viewer.window->SetFullscreen(FakeBackend::A(), false);
  viewer.window->ShowNativeWindow(FakeBackend::A(), false);
  viewer.window->DestroyNativeWindow(FakeBackend::A());
  viewer.window->CreateNativeWindow(FakeBackend::B(), "show", 4, 3);
  viewer.window->ShowNativeWindow(FakeBackend::B(), true);
  viewer.window->SetFullscreen(FakeBackend::B(), true);
  EXPECT_EQ(viewer.fake->calls, std::vector<std::string>{"fullscreen A"});

  // B is A to the real backend; A's events come in B's name.
  viewer.window->ShowFrame(FakeBackend::B(), Picture(2, 2));
  EXPECT_EQ(viewer.fake->shownIn.back(), FakeBackend::A());
  const auto events = viewer.Press({Down('A')});
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].window, FakeBackend::B());
  viewer.Press({Down(VK_F11)});  // the window's full-screen state carried over
  EXPECT_EQ(viewer.fake->calls.back(), "windowed A");

  // A restart at another size gets a window of that size.
  viewer.window->DestroyNativeWindow(FakeBackend::B());
  viewer.window->CreateNativeWindow(FakeBackend::C(), "show", 8, 6);
  viewer.window->KeepWindowForRestart(false);
  viewer.window->DestroyNativeWindow(FakeBackend::C());
  EXPECT_EQ(viewer.fake->calls,
            (std::vector<std::string>{"fullscreen A", "windowed A", "destroy A", "create C 8x6", "destroy C"}));
}

TEST(ViewerWindow, AKeptWindowThatNobodyTakesGoes) {
  Viewer viewer;
  viewer.window->KeepWindowForRestart(true);
  viewer.window->DestroyNativeWindow(FakeBackend::A());
  EXPECT_TRUE(viewer.fake->calls.empty());
  viewer.window->KeepWindowForRestart(false);
  EXPECT_EQ(viewer.fake->calls, std::vector<std::string>{"destroy A"});
}

}  // namespace
