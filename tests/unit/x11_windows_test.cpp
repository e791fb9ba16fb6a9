// The X11 windows of other programs, on an Xvfb server of the test's own. The test makes its
// windows with Xlib through a connection of its own, as another program would, and checks what
// the tool's side lists, reads and does to them. Skipped when Xvfb cannot be started.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/native_windows.h"

// Xlib's macros (None, Status, Success, ...) would clash with names above; it comes last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern char** environ;

namespace morvane {
namespace {

using namespace std::chrono_literals;

// A limit for waiting on the server; far above what it needs.
constexpr auto kSanityLimit = 20s;
constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 800;

std::string Utf8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

// An Xvfb on a display number it picks itself (-displayfd), reachable only through its local
// socket; ended by its process id. It also ends by itself once its last client has gone
// (-terminate), so a test process that dies leaves no server behind: `keeper_` holds it up
// between tests.
class Xvfb {
 public:
  // Empty `problem` when the server is up and `name` is its display.
  bool Start(std::string& problem) {
    int ready[2];
    if (::pipe(ready) != 0) {
      problem = "no pipe";
      return false;
    }
    const std::string fd = std::to_string(ready[1]);
    const std::string size = std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight);
    const std::string screen = size + "x24";
    std::vector<std::string> args = {"Xvfb",    "-displayfd", fd,     "-nolisten", "tcp",
                                     "-screen", "0",          screen, "-terminate"};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, ready[0]);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned = ::posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ready[1]);
    if (spawned != 0) {
      ::close(ready[0]);
      pid_ = -1;
      problem = "Xvfb cannot be started (not installed?)";
      return false;
    }
    // The server writes its display number once it takes connections.
    std::string number;
    const auto until = std::chrono::steady_clock::now() + kSanityLimit;
    for (;;) {
      pollfd p{ready[0], POLLIN, 0};
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          until - std::chrono::steady_clock::now());
      if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
      char c = 0;
      if (::read(ready[0], &c, 1) != 1 || c == '\n') break;
      number += c;
    }
    ::close(ready[0]);
    if (number.empty()) {
      Stop();
      problem = "Xvfb did not report a display";
      return false;
    }
    name = ":" + number;
    keeper_ = XOpenDisplay(name.c_str());
    if (keeper_ == nullptr) {
      Stop();
      problem = "Xvfb does not take connections";
      return false;
    }
    return true;
  }

  void Stop() {
    if (keeper_ != nullptr) XCloseDisplay(keeper_);
    keeper_ = nullptr;
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  std::string name;

 private:
  pid_t pid_ = -1;
  Display* keeper_ = nullptr;
};

class X11WindowsTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = new Xvfb;
    if (!server_->Start(problem_)) {
      delete server_;
      server_ = nullptr;
    }
  }
  static void TearDownTestSuite() {
    if (server_ != nullptr) server_->Stop();
    delete server_;
    server_ = nullptr;
  }

  void SetUp() override {
    if (server_ == nullptr) GTEST_SKIP() << "no X server: " << problem_;
    display_ = XOpenDisplay(server_->name.c_str());
    ASSERT_NE(display_, nullptr) << server_->name;
    root_ = DefaultRootWindow(display_);
    encoding_ = MakeSystemEncoding();
    native_ = OpenNativeWindowSystem(*encoding_, server_->name.c_str());
    ASSERT_NE(native_, nullptr);
  }

  void TearDown() override {
    // The tool's side first, then our own connection, whose windows go with it.
    native_.reset();
    if (display_ != nullptr) XCloseDisplay(display_);
  }

  Atom Intern(const char* name) { return XInternAtom(display_, name, False); }

  Window Make(Window parent, int x, int y, int width, int height, int border = 0) {
    return XCreateSimpleWindow(display_, parent, x, y, width, height, border, 0, 0);
  }
  Window MakeTop(int border = 0) { return Make(root_, 10, 10, 200, 100, border); }
  Window MakeMapped() {
    const Window window = MakeTop();
    XMapWindow(display_, window);
    return window;
  }

  void SetNetWmName(Window window, const std::string& utf8) {
    XChangeProperty(display_, window, Intern("_NET_WM_NAME"), Intern("UTF8_STRING"), 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(utf8.data()),
                    static_cast<int>(utf8.size()));
  }
  void SetWmName(Window window, const std::string& latin1) {
    XChangeProperty(display_, window, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(latin1.data()),
                    static_cast<int>(latin1.size()));
  }
  // What a window manager puts on the program windows it manages.
  void SetWmState(Window window) {
    const long state[2] = {NormalState, 0};
    const Atom wm_state = Intern("WM_STATE");
    XChangeProperty(display_, window, wm_state, wm_state, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(state), 2);
  }

  // Our requests reach the server before the tool's side asks anything.
  std::vector<WindowHandle> List() {
    XSync(display_, False);
    return native_->ListVisibleWindows();
  }
  std::string Title(Window window) {
    XSync(display_, False);
    return native_->GetWindowTitle(window);
  }

  // The next client message to any window of our connection, within the sanity limit.
  std::optional<XClientMessageEvent> NextClientMessage() {
    const auto until = std::chrono::steady_clock::now() + kSanityLimit;
    for (;;) {
      while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == ClientMessage) return event.xclient;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          until - std::chrono::steady_clock::now());
      if (left.count() <= 0) return std::nullopt;
      pollfd p{ConnectionNumber(display_), POLLIN, 0};
      ::poll(&p, 1, static_cast<int>(left.count()));
    }
  }

  static Xvfb* server_;
  static std::string problem_;
  Display* display_ = nullptr;
  Window root_ = 0;
  std::unique_ptr<Encoding> encoding_;
  std::unique_ptr<NativeWindowSystem> native_;
};

Xvfb* X11WindowsTest::server_ = nullptr;
std::string X11WindowsTest::problem_;

using Handles = std::vector<WindowHandle>;

TEST_F(X11WindowsTest, ListsViewableTopLevelWindowsTopmostFirst) {
  const Window lower = MakeMapped();
  const Window upper = MakeMapped();
  const Window unmapped = MakeTop();
  // A mapped child window is part of its top-level window, no window of its own.
  XMapWindow(display_, Make(lower, 5, 5, 20, 20));
  EXPECT_EQ(List(), (Handles{upper, lower}));

  XRaiseWindow(display_, lower);
  EXPECT_EQ(List(), (Handles{lower, upper}));

  XUnmapWindow(display_, upper);
  EXPECT_EQ(List(), (Handles{lower}));

  // Mapping does not raise: the window keeps its place in the stack, below the raised one.
  XMapWindow(display_, unmapped);
  EXPECT_EQ(List(), (Handles{lower, unmapped}));
}

// How ffplay's window comes up: created unmapped as "ffplay", renamed, then mapped.
TEST_F(X11WindowsTest, AWindowIsListedOnlyOnceMappedAndUnderItsCurrentTitle) {
  const Window video = MakeTop();
  SetNetWmName(video, "ffplay");
  EXPECT_EQ(List(), Handles{});

  SetNetWmName(video, Utf8(u8"预览"));
  XMapWindow(display_, video);
  EXPECT_EQ(List(), Handles{video});
  EXPECT_EQ(Title(video), "预览");
}

struct TitleCase {
  const char* name;
  std::optional<std::string> net_wm_name;  // UTF-8
  std::optional<std::string> wm_name;      // Latin-1
  std::string expected;                    // GBK
};

class X11TitleTest : public X11WindowsTest, public testing::WithParamInterface<TitleCase> {};

TEST_P(X11TitleTest, TitleInGbk) {
  const TitleCase& c = GetParam();
  const Window window = MakeMapped();
  if (c.net_wm_name) SetNetWmName(window, *c.net_wm_name);
  if (c.wm_name) SetWmName(window, *c.wm_name);
  EXPECT_EQ(Title(window), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Titles, X11TitleTest,
    testing::Values(TitleCase{"ChineseNetWmName", Utf8(u8"ffplay.exe - 预览"), std::nullopt,
                              "ffplay.exe - 预览"},
                    TitleCase{"NetWmNameBeforeWmName", Utf8(u8"预览"), "ffplay", "预览"},
                    TitleCase{"WmNameAlone", std::nullopt, "ffplay", "ffplay"},
                    TitleCase{"WmNameIsLatin1", std::nullopt, "caf\xE9", "café"},
                    TitleCase{"NoGbkFormGivesNoTitle", Utf8(u8"预览 😀"), std::nullopt, ""},
                    TitleCase{"NoTitle", std::nullopt, std::nullopt, ""}),
    [](const testing::TestParamInfo<TitleCase>& info) { return std::string(info.param.name); });

TEST_F(X11WindowsTest, MoveWindowPlacesTheOuterRectangle) {
  const Window window = MakeTop(3);
  XMapWindow(display_, window);
  XSync(display_, False);

  native_->MoveWindow(window, {623, 316, 573, 448}, true);
  // A round trip on the tool's connection: its move has been carried out.
  EXPECT_EQ(native_->WindowPlace(window), (Rect{623, 316, 573, 448}));

  Window root = 0;
  int x = 0, y = 0;
  unsigned width = 0, height = 0, border = 0, depth = 0;
  ASSERT_NE(XGetGeometry(display_, window, &root, &x, &y, &width, &height, &border, &depth), 0);
  EXPECT_EQ(x, 623);
  EXPECT_EQ(y, 316);
  EXPECT_EQ(width, 573u - 6);
  EXPECT_EQ(height, 448u - 6);
  EXPECT_EQ(border, 3u);
}

TEST_F(X11WindowsTest, PostCloseMessageSendsDeleteWindowOnlyToWindowsThatTakeIt) {
  const Window plain = MakeMapped();
  const Window takes = MakeMapped();
  Atom delete_window = Intern("WM_DELETE_WINDOW");
  XSetWMProtocols(display_, takes, &delete_window, 1);
  XSync(display_, False);

  // One connection's requests are carried out in order: a message to `plain` would come first.
  native_->PostCloseMessage(plain);
  native_->PostCloseMessage(takes);
  const std::optional<XClientMessageEvent> message = NextClientMessage();
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->window, takes);
  EXPECT_EQ(message->message_type, Intern("WM_PROTOCOLS"));
  EXPECT_EQ(message->format, 32);
  EXPECT_EQ(static_cast<Atom>(message->data.l[0]), delete_window);
  // The window itself is left to its program.
  EXPECT_EQ(List(), (Handles{takes, plain}));
}

TEST_F(X11WindowsTest, CloseWindowAsksTheWindowManagerToIconify) {
  const Window window = MakeMapped();
  XSync(display_, False);
  // Without a window manager nothing minimises it.
  native_->CloseWindow(window);
  EXPECT_EQ(List(), Handles{window});

  // Our connection now plays the window manager.
  XSelectInput(display_, root_, SubstructureRedirectMask);
  XSync(display_, False);
  native_->CloseWindow(window);
  const std::optional<XClientMessageEvent> message = NextClientMessage();
  XSelectInput(display_, root_, NoEventMask);
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->window, window);
  EXPECT_EQ(message->message_type, Intern("WM_CHANGE_STATE"));
  EXPECT_EQ(message->data.l[0], IconicState);
}

// Under a reparenting window manager: frame > inner window > program window with WM_STATE, and a
// decoration beside it.
TEST_F(X11WindowsTest, AFramedProgramWindowStandsForItsFrame) {
  const Window frame = Make(root_, 300, 200, 400, 300);
  const Window decoration = Make(frame, 0, 0, 400, 20);
  const Window inner = Make(frame, 0, 20, 400, 280);
  const Window client = Make(inner, 4, 6, 390, 270);
  SetNetWmName(decoration, "title bar");
  SetWmState(client);
  SetNetWmName(client, Utf8(u8"预览"));
  XMapSubwindows(display_, frame);
  XMapSubwindows(display_, inner);
  XMapWindow(display_, frame);
  const Window bare = MakeMapped();  // no window manager's mark, no frame
  SetWmName(bare, "bare");

  EXPECT_EQ(List(), (Handles{bare, client}));
  EXPECT_EQ(Title(client), "预览");
  EXPECT_EQ(native_->WindowPlace(client), (Rect{304, 226, 390, 270}));

  XUnmapWindow(display_, client);
  EXPECT_EQ(List(), Handles{bare});
}

TEST_F(X11WindowsTest, AVanishedWindowIsHarmless) {
  const Window window = MakeMapped();
  SetNetWmName(window, "gone soon");
  ASSERT_EQ(List(), Handles{window});
  XDestroyWindow(display_, window);
  XSync(display_, False);

  const WindowHandle never = 0x1FFFFFF0;  // an id no client was given
  const WindowHandle beyond = WindowHandle{1} << 32;
  for (const WindowHandle handle : {WindowHandle{window}, never, beyond}) {
    SCOPED_TRACE(handle);
    EXPECT_EQ(native_->GetWindowTitle(handle), "");
    EXPECT_EQ(native_->WindowPlace(handle), std::nullopt);
    native_->PostCloseMessage(handle);
    native_->CloseWindow(handle);
    native_->MoveWindow(handle, {1, 2, 3, 4}, true);
  }
  // The failed requests' errors have arrived by now; the connection still serves.
  const Window next = MakeMapped();
  SetNetWmName(next, "next");
  EXPECT_EQ(List(), Handles{next});
  EXPECT_EQ(Title(next), "next");
}

TEST_F(X11WindowsTest, ScreenAreaIsTheDisplaySize) {
  EXPECT_EQ(native_->ScreenArea(), (Rect{0, 0, kScreenWidth, kScreenHeight}));
}

TEST_F(X11WindowsTest, TheDisplayVariableNamesTheServer) {
  const char* saved = std::getenv("DISPLAY");
  const std::optional<std::string> before =
      saved ? std::optional<std::string>(saved) : std::nullopt;
  ::unsetenv("DISPLAY");
  EXPECT_EQ(OpenNativeWindowSystem(*encoding_), nullptr);
  ::setenv("DISPLAY", "", 1);
  EXPECT_EQ(OpenNativeWindowSystem(*encoding_), nullptr);
  ::setenv("DISPLAY", server_->name.c_str(), 1);
  EXPECT_NE(OpenNativeWindowSystem(*encoding_), nullptr);
  if (before) {
    ::setenv("DISPLAY", before->c_str(), 1);
  } else {
    ::unsetenv("DISPLAY");
  }
}

}  // namespace
}  // namespace morvane
