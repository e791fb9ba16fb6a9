// Window operations on a window of the test's own, and the message pump that keeps it alive.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_platform.h"

namespace morvane {
namespace {

constexpr UINT kPing = WM_APP + 1;

// Counts the messages that the pump dispatches to the test window.
struct Received {
  int pings = 0;
  int closes = 0;
};
Received received;

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kPing) {
    ++received.pings;
    return 0;
  }
  if (message == WM_CLOSE) ++received.closes;  // the default handling destroys the window
  return ::DefWindowProcA(window, message, wparam, lparam);
}

class Win32WindowsTest : public testing::Test {
 protected:
  void SetUp() override {
    received = Received{};
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = TestWindowProc;
    window_class.hInstance = ::GetModuleHandleA(nullptr);
    window_class.lpszClassName = "MorvaneTestWindow";
    ::RegisterClassA(&window_class);  // fails harmlessly when an earlier test registered it
    hwnd_ = ::CreateWindowExA(0, "MorvaneTestWindow", "预览 test window", WS_OVERLAPPEDWINDOW, 100,
                              100, 300, 200, nullptr, nullptr, window_class.hInstance, nullptr);
    ASSERT_NE(hwnd_, nullptr);
    ::ShowWindow(hwnd_, SW_SHOWNORMAL);
    handle_ = static_cast<WindowHandle>(reinterpret_cast<uintptr_t>(hwnd_));
  }
  void TearDown() override {
    if (::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
    // Nothing of this test stays in the queue for the next one.
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  bool Listed(WindowHandle window) {
    const std::vector<WindowHandle> all = windows_.ListVisibleWindows();
    return std::find(all.begin(), all.end(), window) != all.end();
  }

  Win32Windows windows_;
  Win32EventPump pump_;
  HWND hwnd_ = nullptr;
  WindowHandle handle_ = kNoWindow;
};

TEST_F(Win32WindowsTest, VisibleWindowsAreListedWithTheirGbkTitles) {
  EXPECT_TRUE(Listed(handle_));
  EXPECT_EQ(windows_.GetWindowTitle(handle_), "预览 test window");
  ::ShowWindow(hwnd_, SW_HIDE);
  EXPECT_FALSE(Listed(handle_));
}

TEST_F(Win32WindowsTest, TitleOfNoWindowIsEmpty) {
  EXPECT_EQ(windows_.GetWindowTitle(kNoWindow), "");
  ::SetWindowTextA(hwnd_, "");
  EXPECT_EQ(windows_.GetWindowTitle(handle_), "");
  ::DestroyWindow(hwnd_);
  EXPECT_EQ(windows_.GetWindowTitle(handle_), "");
}

TEST_F(Win32WindowsTest, MoveWindowPlacesTheOuterRectangle) {
  windows_.MoveWindow(handle_, Rect{623, 40, 573, 448}, true);
  RECT r{};
  ASSERT_TRUE(::GetWindowRect(hwnd_, &r));
  EXPECT_EQ((Rect{r.left, r.top, r.right - r.left, r.bottom - r.top}), (Rect{623, 40, 573, 448}));
}

TEST_F(Win32WindowsTest, CloseWindowMinimisesWithoutClosing) {
  windows_.CloseWindow(handle_);
  EXPECT_TRUE(::IsIconic(hwnd_));
  EXPECT_TRUE(::IsWindow(hwnd_));
  windows_.CloseWindow(kNoWindow);  // no window: nothing happens
  windows_.MoveWindow(kNoWindow, Rect{0, 0, 10, 10}, true);
}

TEST_F(Win32WindowsTest, CloseMessageIsPostedAndHandledByThePump) {
  windows_.PostCloseMessage(handle_);
  EXPECT_EQ(received.closes, 0);  // posted, not sent
  pump_.ProcessEvents();
  EXPECT_EQ(received.closes, 1);
  EXPECT_FALSE(::IsWindow(hwnd_));
}

TEST_F(Win32WindowsTest, ScreenAreaIsTheWorkArea) {
  RECT work{};
  ASSERT_TRUE(::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  const Rect area = windows_.ScreenArea();
  EXPECT_EQ(area, (Rect{work.left, work.top, work.right - work.left, work.bottom - work.top}));
  EXPECT_GT(area.width, 0);
  EXPECT_GT(area.height, 0);
}

// A timer source that records its ticks, due every `period` ms from the start.
class CountingTimers : public TimerSource {
 public:
  explicit CountingTimers(int64_t period) : period_(period), next_(Now() + period) {}
  int64_t NextTimerDue() const override { return on_ ? next_ : -1; }
  void FireDueTimers(int64_t now_ms) override {
    while (on_ && next_ <= now_ms) {
      next_ += period_;
      ++ticks;
    }
  }
  static int64_t Now() { return static_cast<int64_t>(::GetTickCount64()); }
  void Stop() { on_ = false; }
  int ticks = 0;

 private:
  int64_t period_;
  int64_t next_;
  bool on_ = true;
};

TEST_F(Win32WindowsTest, DelayWithEventsDispatchesMessagesAndFiresTimers) {
  CountingTimers timers(50);
  pump_.SetTimerSource(&timers);
  ::PostMessageA(hwnd_, kPing, 0, 0);
  const int64_t start = CountingTimers::Now();
  pump_.DelayWithEvents(300);
  EXPECT_GE(CountingTimers::Now() - start, 300);  // at least the time asked for
  EXPECT_EQ(received.pings, 1);
  EXPECT_GE(timers.ticks, 1);
}

TEST_F(Win32WindowsTest, TimersFromTheWindowAreLeftToIt) {
  CountingTimers timers(10);
  pump_.SetTimerSource(&timers);
  pump_.SetTimersFromWindow(true);
  pump_.DelayWithEvents(100);
  EXPECT_EQ(timers.ticks, 0);
}

TEST_F(Win32WindowsTest, SleepHandlesNoMessages) {
  ::PostMessageA(hwnd_, kPing, 0, 0);
  pump_.Sleep(20);
  EXPECT_EQ(received.pings, 0);
  pump_.ProcessEvents();
  EXPECT_EQ(received.pings, 1);
}

TEST_F(Win32WindowsTest, QuitMetWhileWaitingIsPostedAgain) {
  ::PostQuitMessage(7);
  pump_.DelayWithEvents(50);
  MSG message{};
  bool quit = false;
  while (!quit && ::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    quit = message.message == WM_QUIT;
    if (!quit) ::DispatchMessageA(&message);
  }
  ASSERT_TRUE(quit);
  EXPECT_EQ(message.wParam, 7u);
}

}  // namespace
}  // namespace morvane
