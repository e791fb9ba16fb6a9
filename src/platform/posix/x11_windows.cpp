// The windows of an X11 display, through plain Xlib.
//
// Handles are X window ids, all below 2^32, so they never meet the console windows' handles. The
// top-level windows are the children of the root window; under a reparenting window manager each
// is a frame, and the program's own window (the one with WM_STATE) lies below it: that window
// stands for its frame in every operation here.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/posix/native_windows.h"

// Xlib's macros (None, Status, Success, ...) would clash with names above; it comes last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace morvane {
namespace {

// The connections whose errors are ours to ignore; errors of other connections in the process
// go to the handler that was there before.
std::vector<Display*>& OurDisplays() {
  static std::vector<Display*> displays;
  return displays;
}
XErrorHandler previous_error_handler = nullptr;

// Between listing a window and reading it the window may be destroyed: the request then fails
// with BadWindow (or BadDrawable, BadMatch, ...). Xlib's default handler would end the program;
// here the failure only shows in the request's return status, which the callers check.
int IgnoreErrorsOfOurDisplays(Display* display, XErrorEvent* error) {
  const std::vector<Display*>& ours = OurDisplays();
  if (std::find(ours.begin(), ours.end(), display) != ours.end()) return 0;
  return previous_error_handler != nullptr ? previous_error_handler(display, error) : 0;
}

void FreeX(void* data) {
  if (data != nullptr) XFree(data);
}

// Latin-1, the encoding of a WM_NAME of type STRING, as UTF-8.
std::string Latin1ToUtf8(const std::string& latin1) {
  std::string utf8;
  for (const char c : latin1) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | (byte >> 6));
      utf8 += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return utf8;
}

class X11Windows final : public NativeWindowSystem {
 public:
  X11Windows(Display* display, Encoding& encoding)
      : display_(display),
        encoding_(encoding),
        screen_(DefaultScreen(display)),
        root_(RootWindow(display, screen_)),
        wm_state_(XInternAtom(display, "WM_STATE", False)),
        net_wm_name_(XInternAtom(display, "_NET_WM_NAME", False)),
        utf8_string_(XInternAtom(display, "UTF8_STRING", False)),
        compound_text_(XInternAtom(display, "COMPOUND_TEXT", False)),
        wm_protocols_(XInternAtom(display, "WM_PROTOCOLS", False)),
        wm_delete_window_(XInternAtom(display, "WM_DELETE_WINDOW", False)) {}

  ~X11Windows() override {
    std::erase(OurDisplays(), display_);
    XCloseDisplay(display_);
  }

  X11Windows(const X11Windows&) = delete;
  X11Windows& operator=(const X11Windows&) = delete;

  // The root's children come bottom to top; each stands for the program window inside it, listed
  // while that window is viewable (mapped, with every ancestor mapped).
  std::vector<WindowHandle> ListVisibleWindows() override {
    std::vector<WindowHandle> list;
    const std::vector<Window> tops = Children(root_);
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
      const Window client = ClientOf(*it);
      XWindowAttributes attributes;
      if (XGetWindowAttributes(display_, client, &attributes) != 0 &&
          attributes.map_state == IsViewable) {
        list.push_back(static_cast<WindowHandle>(client));
      }
    }
    return list;
  }

  // _NET_WM_NAME (UTF-8), else WM_NAME; empty when neither is there or the title has no GBK form.
  std::string GetWindowTitle(WindowHandle handle) override {
    const Window window = ToX(handle);
    if (window == 0) return {};
    std::string utf8;
    if (std::optional<Property> name = ReadProperty(window, net_wm_name_, utf8_string_);
        name && name->type == utf8_string_ && name->format == 8) {
      utf8 = std::move(name->bytes);
    } else if (std::optional<Property> legacy = ReadProperty(window, XA_WM_NAME, AnyPropertyType);
               legacy && legacy->format == 8) {
      utf8 = LegacyTitleToUtf8(*legacy);
    }
    return Utf8ToGbk(encoding_, utf8).value_or(std::string());
  }

  // WM_DELETE_WINDOW, the X form of a close request, for a window that takes part in that
  // protocol. Any other window is left alone: the only harder means would be destroying it or
  // killing its connection, which no program could answer or refuse.
  void PostCloseMessage(WindowHandle handle) override {
    const Window window = ToX(handle);
    if (window == 0 || !TakesDeleteRequests(window)) return;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = wm_protocols_;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(wm_delete_window_);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window, False, NoEventMask, &event);
    XFlush(display_);
  }

  // Asks the window manager to iconify the window (WM_CHANGE_STATE to the root). Without a
  // window manager nobody answers and the window stays as it is: X itself has no minimised state.
  void CloseWindow(WindowHandle handle) override {
    const Window window = ToX(handle);
    if (window == 0) return;
    XIconifyWindow(display_, window, screen_);
    XFlush(display_);
  }

  // `place` is the outer rectangle, border included, as WindowPlace reports it. Under a window
  // manager the request goes to the manager, which places its frame accordingly. The server
  // repaints by itself (Expose), so `repaint` needs nothing.
  void MoveWindow(WindowHandle handle, const Rect& place, bool) override {
    const Window window = ToX(handle);
    XWindowAttributes attributes;
    if (window == 0 || XGetWindowAttributes(display_, window, &attributes) == 0) return;
    const int border = attributes.border_width;
    XMoveResizeWindow(display_, window, place.left, place.top,
                      static_cast<unsigned>(std::max(place.width - 2 * border, 1)),
                      static_cast<unsigned>(std::max(place.height - 2 * border, 1)));
    XFlush(display_);
  }

  std::optional<Rect> ScreenArea() override {
    return Rect{0, 0, DisplayWidth(display_, screen_), DisplayHeight(display_, screen_)};
  }

  std::optional<Rect> WindowPlace(WindowHandle handle) override {
    const Window window = ToX(handle);
    XWindowAttributes attributes;
    if (window == 0 || XGetWindowAttributes(display_, window, &attributes) == 0) {
      return std::nullopt;
    }
    int x = 0;
    int y = 0;
    Window child = 0;
    // The window's own origin lies inside its border.
    if (XTranslateCoordinates(display_, window, attributes.root, 0, 0, &x, &y, &child) == 0) {
      return std::nullopt;
    }
    const int border = attributes.border_width;
    return Rect{x - border, y - border, attributes.width + 2 * border,
                attributes.height + 2 * border};
  }

 private:
  struct Property {
    Atom type = 0;
    int format = 0;
    std::string bytes;
  };

  // Titles longer than this many 32-bit units are cut; no real title comes near.
  static constexpr long kMaxPropertyLongs = 16384;
  // How deep below a top-level window the program's window is looked for.
  static constexpr int kMaxFrameDepth = 4;

  static Window ToX(WindowHandle handle) {
    return handle <= 0xFFFFFFFFu ? static_cast<Window>(handle) : Window{0};
  }

  // The children of `window`, bottom to top; none when it has gone.
  std::vector<Window> Children(Window window) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    std::vector<Window> list;
    if (XQueryTree(display_, window, &root, &parent, &children, &count) != 0 &&
        children != nullptr) {
      list.assign(children, children + count);
    }
    FreeX(children);
    return list;
  }

  std::optional<Property> ReadProperty(Window window, Atom property, Atom type) {
    Atom actual_type = 0;
    int actual_format = 0;
    unsigned long count = 0;
    unsigned long left = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, window, property, 0, kMaxPropertyLongs, False, type,
                           &actual_type, &actual_format, &count, &left, &data) != Success) {
      return std::nullopt;
    }
    std::optional<Property> result;
    if (actual_type != None) {
      result = Property{actual_type, actual_format, {}};
      if (data != nullptr && actual_format == 8) {
        result->bytes.assign(reinterpret_cast<const char*>(data), count);
      }
    }
    FreeX(data);
    return result;
  }

  // A WM_NAME in one of the encodings X titles use; empty for any other.
  std::string LegacyTitleToUtf8(const Property& name) {
    if (name.type == XA_STRING) return Latin1ToUtf8(name.bytes);
    if (name.type == utf8_string_) return name.bytes;
    if (name.type != compound_text_) return {};
    XTextProperty text{};
    text.value = reinterpret_cast<unsigned char*>(const_cast<char*>(name.bytes.data()));
    text.encoding = name.type;
    text.format = 8;
    text.nitems = name.bytes.size();
    char** list = nullptr;
    int count = 0;
    std::string utf8;
    if (Xutf8TextPropertyToTextList(display_, &text, &list, &count) == Success && count > 0 &&
        list != nullptr) {
      utf8 = list[0];
    }
    if (list != nullptr) XFreeStringList(list);
    return utf8;
  }

  bool HasWmState(Window window) {
    return ReadProperty(window, wm_state_, AnyPropertyType).has_value();
  }

  // The program's window for a child of the root: the window itself when it has WM_STATE or no
  // window below it has (no window manager); else the first one below that has it.
  Window ClientOf(Window top) {
    if (HasWmState(top)) return top;
    const Window below = FindWmStateBelow(top, 1);
    return below != 0 ? below : top;
  }

  Window FindWmStateBelow(Window window, int depth) {
    if (depth > kMaxFrameDepth) return 0;
    const std::vector<Window> children = Children(window);
    for (const Window child : children) {
      if (HasWmState(child)) return child;
    }
    for (const Window child : children) {
      if (const Window found = FindWmStateBelow(child, depth + 1); found != 0) return found;
    }
    return 0;
  }

  bool TakesDeleteRequests(Window window) {
    Atom* protocols = nullptr;
    int count = 0;
    if (XGetWMProtocols(display_, window, &protocols, &count) == 0) return false;
    const bool takes = protocols != nullptr && std::find(protocols, protocols + count,
                                                         wm_delete_window_) != protocols + count;
    FreeX(protocols);
    return takes;
  }

  Display* display_;
  Encoding& encoding_;
  int screen_;
  Window root_;
  Atom wm_state_;
  Atom net_wm_name_;
  Atom utf8_string_;
  Atom compound_text_;
  Atom wm_protocols_;
  Atom wm_delete_window_;
};

}  // namespace

std::unique_ptr<NativeWindowSystem> OpenNativeWindowSystem(Encoding& encoding,
                                                           const char* display_name) {
  if (display_name == nullptr) {
    display_name = std::getenv("DISPLAY");
    if (display_name == nullptr || *display_name == '\0') return nullptr;
  }
  Display* display = XOpenDisplay(display_name);
  if (display == nullptr) return nullptr;
  static const bool installed = [] {
    previous_error_handler = XSetErrorHandler(IgnoreErrorsOfOurDisplays);
    return true;
  }();
  (void)installed;
  OurDisplays().push_back(display);
  return std::make_unique<X11Windows>(display, encoding);
}

}  // namespace morvane
