#include <gtest/gtest.h>

#include "platform/win32/win32.h"
#include "win32_test_support.h"

using win32_test::Calls;
using win32_test::DrainQueue;
using win32_test::NewWindow;

namespace {

class MessageQueueTest : public ::testing::Test {
 protected:
  void SetUp() override { DrainQueue(); }
  void TearDown() override { DrainQueue(); }
};

TEST_F(MessageQueueTest, WindowAndRangeFiltersPickMatchingMessagesInPostOrder) {
  HWND a = NewWindow();
  HWND b = NewWindow();
  ASSERT_TRUE(a && b);
  ASSERT_TRUE(PostMessageA(a, WM_USER + 1, 1, 0));
  ASSERT_TRUE(PostMessageA(b, WM_USER + 2, 2, 0));
  ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 3, 3, 0));  // thread message
  ASSERT_TRUE(PostMessageA(a, WM_USER + 4, 4, 0));

  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, b, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, b);
  EXPECT_EQ(msg.wParam, 2u);
  EXPECT_FALSE(PeekMessageA(&msg, b, 0, 0, PM_REMOVE));

  // Thread messages only through a null or -1 filter, never through a window filter.
  ASSERT_TRUE(PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_EQ(msg.hwnd, nullptr);

  // Range filter: the later message of a matches, the earlier one stays.
  ASSERT_TRUE(PeekMessageA(&msg, a, WM_USER + 4, WM_USER + 9, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 4u);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 1u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueueTest, NoRemoveLeavesTheMessageForGetMessage) {
  HWND w = NewWindow();
  PostMessageA(w, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  MSG peeked{};
  ASSERT_TRUE(PeekMessageA(&peeked, w, 0, 0, PM_NOREMOVE));
  ASSERT_TRUE(PeekMessageA(&peeked, w, 0, 0, PM_NOREMOVE));
  MSG got{};
  EXPECT_EQ(GetMessageA(&got, w, 0, 0), TRUE);
  EXPECT_EQ(got.message, WM_KEYDOWN);
  EXPECT_EQ(got.wParam, VK_ESCAPE);
  EXPECT_EQ(got.lParam, 0x00010001);
  EXPECT_FALSE(PeekMessageA(&peeked, w, 0, 0, PM_NOREMOVE));
}

// Waiting for input that can never come (headless, nothing scripted) is a failure of the run,
// which a script must not take for the show's own end (exit code 1).
TEST_F(MessageQueueTest, GetMessageWithNoInputLeftEndsTheProgramAsAFailure) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  HWND w = NewWindow();
  MSG msg{};
  EXPECT_EXIT(GetMessageA(&msg, w, 0, 0), testing::ExitedWithCode(2), "waiting for input that can never arrive");
}

TEST_F(MessageQueueTest, QuitComesAfterOtherMessagesThroughAnyFilterAndEndsGetMessage) {
  HWND w = NewWindow();
  PostQuitMessage(7);
  PostMessageA(w, WM_USER, 0, 0);

  MSG msg{};
  // The quit message waits until the window's own messages are gone, and ignores the range.
  ASSERT_EQ(GetMessageA(&msg, w, 0, 0), TRUE);
  EXPECT_EQ(msg.message, WM_USER);
  ASSERT_TRUE(PeekMessageA(&msg, w, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_EQ(GetMessageA(&msg, w, 0, 0), 0);
  EXPECT_EQ(msg.message, WM_QUIT);
  // Retrieved once: the flag is gone.
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_TRUE(Calls().empty()) << "WM_QUIT is never dispatched";
}

TEST_F(MessageQueueTest, TranslateMessagePostsCharactersForCharacterKeysOnly) {
  HWND w = NewWindow();
  const LPARAM escDown = 0x00010001;
  const LPARAM escUp = static_cast<LPARAM>(0xC0010001u);
  PostMessageA(w, WM_KEYDOWN, VK_ESCAPE, escDown);
  PostMessageA(w, WM_KEYUP, VK_ESCAPE, escUp);
  PostMessageA(w, WM_KEYDOWN, 'Q', 0);
  PostMessageA(w, WM_KEYDOWN, VK_LEFT, 0);

  MSG msg{};
  ASSERT_TRUE(GetMessageA(&msg, w, 0, 0));
  EXPECT_TRUE(TranslateMessage(&msg));
  // WM_CHAR joins the posted messages at the end (typed input keeps it before the key-up).
  std::vector<std::pair<UINT, WPARAM>> seen;
  while (PeekMessageA(&msg, w, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    seen.emplace_back(msg.message, msg.wParam);
  }
  const std::vector<std::pair<UINT, WPARAM>> expected = {
      {WM_KEYUP, VK_ESCAPE}, {WM_KEYDOWN, 'Q'}, {WM_KEYDOWN, VK_LEFT}, {WM_CHAR, 27}, {WM_CHAR, 'q'}};
  EXPECT_EQ(seen, expected) << "arrows type nothing";

  MSG notKey{w, WM_USER, 0, 0, 0, {0, 0}};
  EXPECT_FALSE(TranslateMessage(&notKey));
}

TEST_F(MessageQueueTest, DispatchAndSendReachTheProcedureWithTheirArguments) {
  HWND w = NewWindow();
  PostMessageA(w, WM_KEYDOWN, VK_SPACE, 0x00390001);
  MSG msg{};
  ASSERT_TRUE(GetMessageA(&msg, w, 0, 0));
  EXPECT_EQ(DispatchMessageA(&msg), 0);
  EXPECT_EQ(SendMessageA(w, WM_USER + 5, 11, -12), 0);
  ASSERT_EQ(Calls().size(), 2u);
  EXPECT_EQ(Calls()[0].window, w);
  EXPECT_EQ(Calls()[0].message, WM_KEYDOWN);
  EXPECT_EQ(Calls()[0].wParam, VK_SPACE);
  EXPECT_EQ(Calls()[0].lParam, 0x00390001);
  EXPECT_EQ(Calls()[1].message, WM_USER + 5u);
  EXPECT_EQ(Calls()[1].wParam, 11u);
  EXPECT_EQ(Calls()[1].lParam, -12);
}

TEST_F(MessageQueueTest, CloseThroughAProcedureThatPostsQuitKeepsTheWindow) {
  HWND w = NewWindow();
  EXPECT_EQ(SendMessageA(w, WM_CLOSE, 0, 0), 0);
  EXPECT_TRUE(IsWindow(w));
  MSG msg{};
  EXPECT_EQ(GetMessageA(&msg, w, 0, 0), 0);
  EXPECT_EQ(msg.wParam, 0u);
}

TEST_F(MessageQueueTest, DefaultCloseDestroysTheWindowAndItsMessages) {
  HWND w = NewWindow(320, 240);
  RECT rc{};
  ASSERT_TRUE(GetClientRect(w, &rc));
  EXPECT_EQ(rc.right, 320);
  EXPECT_EQ(rc.bottom, 240);
  PostMessageA(w, WM_USER, 0, 0);

  EXPECT_EQ(DefWindowProcA(w, WM_CLOSE, 0, 0), 0);
  ASSERT_FALSE(Calls().empty());
  EXPECT_EQ(Calls().back().message, WM_DESTROY);
  EXPECT_FALSE(IsWindow(w));
  EXPECT_FALSE(GetClientRect(w, &rc));
  EXPECT_FALSE(PostMessageA(w, WM_USER, 0, 0));
  MSG msg{};
  EXPECT_EQ(GetMessageA(&msg, w, 0, 0), -1);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "its posted message went with it";
}

TEST_F(MessageQueueTest, ShowingActivatesAndSetFocusReturnsThePreviousFocus) {
  HWND first = NewWindow();
  HWND second = NewWindow();
  EXPECT_EQ(SetFocus(second), second) << "showing the window gave it the focus";
  EXPECT_EQ(SetFocus(first), second);
  EXPECT_TRUE(UpdateWindow(first));
  EXPECT_TRUE(ShowWindow(first, SW_HIDE));
  EXPECT_FALSE(ShowWindow(first, SW_SHOWNORMAL));
}

TEST(WindowClassTest, ClassesRegisterOnceAndWindowsNeedOne) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "once only";
  const ATOM atom = RegisterClassExA(&wc);
  EXPECT_GE(atom, 0xC000);
  EXPECT_EQ(RegisterClassExA(&wc), 0);
  EXPECT_EQ(CreateWindowExA(0, "never registered", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                            nullptr),
            nullptr);
  EXPECT_EQ(LoadIconA(nullptr, nullptr), nullptr);
  EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
  EXPECT_NE(GetSysColorBrush(COLOR_APPWORKSPACE), GetSysColorBrush(COLOR_WINDOW));
}

}  // namespace
