#include "ui/win32/main_window.h"

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "ui/win32/window_ids.h"

// After <windows.h>, which it needs.
#include <commctrl.h>

namespace morvane {
namespace {

// The core's texts are GBK; the native controls are Unicode windows, so what they show does not
// depend on the system's ANSI code page.
constexpr UINT kGbkCodePage = 936;

// Room below a combo box's selection field for its dropped-down list.
constexpr int kDropDownHeight = 160;

std::wstring Wide(std::string_view gbk) {
  if (gbk.empty()) return {};
  const int size = static_cast<int>(gbk.size());
  const int length = ::MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), size, wide.data(), length);
  return wide;
}

std::string Gbk(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length =
      ::WideCharToMultiByte(kGbkCodePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string gbk(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(kGbkCodePage, 0, wide.data(), size, gbk.data(), length, nullptr, nullptr);
  return gbk;
}

std::wstring NativeText(HWND hwnd) {
  const int length = ::GetWindowTextLengthW(hwnd);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

// The UTF-16 position of a byte position in a GBK text, and back.
int WideOffset(std::string_view gbk, int bytes) {
  return static_cast<int>(Wide(gbk.substr(0, static_cast<std::size_t>(bytes))).size());
}
int GbkOffset(std::wstring_view wide, int units) {
  return static_cast<int>(Gbk(wide.substr(0, static_cast<std::size_t>(units))).size());
}

COLORREF ColourRef(Rgb colour) { return RGB(colour.r, colour.g, colour.b); }

struct NativeClass {
  const wchar_t* name;
  DWORD style;
  DWORD ex_style;
};

// The Win32 control that stands for a control of the model; none for timers and the file dialog.
std::optional<NativeClass> NativeClassOf(const ControlState& s) {
  switch (s.kind) {
    case Kind::kTabControl:
      return NativeClass{WC_TABCONTROLW, WS_TABSTOP, 0};
    case Kind::kGroupBox:
      return NativeClass{L"BUTTON", BS_GROUPBOX, 0};
    case Kind::kButton:
      return NativeClass{L"BUTTON", BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | WS_TABSTOP, 0};
    // Check marks are the model's: the native buttons do not toggle themselves.
    case Kind::kCheckBox:
      return NativeClass{L"BUTTON", BS_CHECKBOX | WS_TABSTOP, 0};
    case Kind::kRadioButton:
      return NativeClass{L"BUTTON", BS_RADIOBUTTON | WS_TABSTOP, 0};
    case Kind::kEditBox: {
      DWORD style = WS_TABSTOP;
      style |= s.multi_line ? ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL
                            : ES_AUTOHSCROLL;
      if (s.centred) style |= ES_CENTER;
      return NativeClass{L"EDIT", style, WS_EX_CLIENTEDGE};
    }
    case Kind::kComboBox: {
      const DWORD list = s.editable ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST;
      return NativeClass{L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | list, 0};
    }
    // SS_NOTIFY lets the label see the mouse; without it clicks fall through to the window.
    case Kind::kLabel:
      return NativeClass{L"STATIC", SS_LEFT | SS_NOTIFY, 0};
    // A one-line caption is clipped at its end rather than wrapped onto a line of its own.
    case Kind::kTransparentLabel: {
      const DWORD wrap = s.text.find('\n') == std::string::npos ? SS_LEFTNOWORDWRAP : SS_LEFT;
      return NativeClass{L"STATIC", wrap, 0};
    }
    default:
      return std::nullopt;
  }
}

// Painting order among overlapping controls, topmost first: the back-to-default label sits on
// the end of the path box; the edit and combo boxes lie in the gaps of the captions and check
// boxes whose texts frame them, inside group boxes, on the tab control.
int StackLayer(Kind kind) {
  switch (kind) {
    case Kind::kLabel:
      return 0;
    case Kind::kEditBox:
    case Kind::kComboBox:
      return 1;
    case Kind::kButton:
    case Kind::kCheckBox:
    case Kind::kRadioButton:
      return 2;
    case Kind::kTransparentLabel:
      return 3;
    case Kind::kGroupBox:
      return 4;
    default:
      return 5;
  }
}
constexpr int kStackLayers = 6;

}  // namespace

MainWindow::MainWindow(App& app, Win32Dialogs& dialogs, HINSTANCE instance)
    : app_(app), model_(app.window), dialogs_(dialogs), instance_(instance) {}

MainWindow::~MainWindow() {
  model_.SetObserver(nullptr);
  if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
  for (auto& [key, font] : fonts_) {
    if (key.first != 0) ::DeleteObject(font);
  }
  for (auto& [colour, brush] : brushes_) ::DeleteObject(brush);
}

bool MainWindow::Create() {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance_;
  window_class.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kMainWindowClass;
  if (::RegisterClassExW(&window_class) == 0) return false;

  // Fixed size: a caption with the system menu and a minimise box, no maximise box, no sizing
  // border. Created where the model centred it; start-up then moves it.
  const Rect place = model_.WindowRect();
  const std::wstring caption = Wide(model_.Caption());
  ::CreateWindowExW(WS_EX_CONTROLPARENT, kMainWindowClass, caption.c_str(),
                    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                    place.left, place.top, place.width, place.height, nullptr, nullptr, instance_,
                    this);
  return hwnd_ != nullptr;
}

void MainWindow::Show(int show_mode) {
  ::ShowWindow(hwnd_, show_mode);
  ::UpdateWindow(hwnd_);
}

int MainWindow::Run() {
  MSG message{};
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    // Tab and the arrow keys move between the controls; Enter and Esc do nothing of their own.
    if (hwnd_ != nullptr && ::IsDialogMessageW(hwnd_, &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcW(hwnd, message, wparam, lparam);
  const LRESULT result = self->HandleWindowMessage(message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

LRESULT MainWindow::HandleWindowMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      CreateControls();
      StackControls();
      dialogs_.SetOwner(static_cast<WindowHandle>(reinterpret_cast<uintptr_t>(hwnd_)));
      model_.SetObserver(this);
      started_ = true;
      // The window's created event: start-up.
      app_.Start();
      return 0;
    case WM_DESTROY:
      // The will-be-destroyed event: shut-down, while every control still exists.
      app_.Close();
      model_.SetObserver(nullptr);
      started_ = false;
      for (const ControlState& s : model_.Controls()) {
        if (s.kind == Kind::kTimer) ::KillTimer(hwnd_, static_cast<UINT_PTR>(ControlId(s.id)));
      }
      dialogs_.SetOwner(kNoWindow);
      ::PostQuitMessage(0);
      return 0;
    case WM_COMMAND: {
      const int index = LOWORD(wparam) - kFirstControlId;
      // Commands without a control (IDOK and IDCANCEL from Enter and Esc) do nothing.
      if (lparam == 0 || index < 0 || index >= kControlCount) return 0;
      OnCommand(static_cast<Ctl>(index), reinterpret_cast<HWND>(lparam), HIWORD(wparam));
      return 0;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (started_ && applying_ == 0 && header->hwndFrom == Native(Ctl::选择夹1) &&
          header->code == TCN_SELCHANGE) {
        const int index = static_cast<int>(::SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0));
        Feeding feeding(*this, Ctl::选择夹1);
        if (!model_.UserSelectTab(index)) OnModelChanged(Ctl::选择夹1, ModelProperty::kCurrentTab);
      }
      return 0;
    }
    case WM_TIMER: {
      const int index = static_cast<int>(wparam) - kFirstControlId;
      if (started_ && index >= 0 && index < kControlCount) {
        model_.TimerElapsed(static_cast<Ctl>(index));
      }
      return 0;
    }
    case WM_MOVE:
      OnWindowMoved();
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      return OnControlColour(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam),
                             message == WM_CTLCOLOREDIT);
    default:
      return ::DefWindowProcW(hwnd_, message, wparam, lparam);
  }
}

LRESULT CALLBACK MainWindow::ControlProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                         UINT_PTR id, DWORD_PTR self) {
  if (message == WM_NCDESTROY) ::RemoveWindowSubclass(hwnd, ControlProc, id);
  return reinterpret_cast<MainWindow*>(self)->HandleControlMessage(
      static_cast<Ctl>(static_cast<int>(id) - kFirstControlId), hwnd, message, wparam, lparam);
}

LRESULT MainWindow::HandleControlMessage(Ctl c, HWND hwnd, UINT message, WPARAM wparam,
                                         LPARAM lparam) {
  const ControlState& s = model_.Control(c);
  switch (s.kind) {
    case Kind::kEditBox:
      // A typed character the box's input kind refuses never reaches the native edit; paste,
      // Backspace and the other control characters pass.
      if (message == WM_CHAR && started_) {
        const wchar_t typed = static_cast<wchar_t>(wparam);
        const bool surrogate = typed >= 0xD800 && typed <= 0xDFFF;
        if (!surrogate && !model_.AcceptsTyped(c, Gbk(std::wstring_view(&typed, 1)))) {
          return 0;
        }
      }
      if (message == WM_KEYUP) {
        const LRESULT result = ::DefSubclassProc(hwnd, message, wparam, lparam);
        if (started_ && applying_ == 0) {
          Feeding feeding(*this, c);
          model_.UserKeyUp(c, static_cast<int>(wparam));
        }
        return result;
      }
      break;
    case Kind::kLabel:
      if (message == WM_LBUTTONUP) {
        const LRESULT result = ::DefSubclassProc(hwnd, message, wparam, lparam);
        if (started_ && applying_ == 0) {
          Feeding feeding(*this, c);
          model_.UserClick(c);
        }
        return result;
      }
      break;
    case Kind::kGroupBox:
      // A group box draws its frame and caption only; the page's background goes under them
      // first, in the part being painted.
      if (message == WM_PAINT) {
        HRGN update = ::CreateRectRgn(0, 0, 0, 0);
        if (::GetUpdateRgn(hwnd, update, FALSE) > NULLREGION) {
          HDC dc = ::GetDC(hwnd);
          ::FillRgn(dc, update, BackgroundOf(s));
          ::ReleaseDC(hwnd, dc);
        }
        ::DeleteObject(update);
      }
      break;
    case Kind::kTabControl:
      // The pages fill their area with the tab control's background, whatever the visual style
      // would paint there.
      if (message == WM_PAINT && s.fill_background) {
        HRGN update = ::CreateRectRgn(0, 0, 0, 0);
        const bool painting = ::GetUpdateRgn(hwnd, update, FALSE) > NULLREGION;
        const LRESULT result = ::DefSubclassProc(hwnd, message, wparam, lparam);
        if (painting) {
          RECT area{};
          ::GetClientRect(hwnd, &area);
          ::SendMessageW(hwnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
          HRGN page = ::CreateRectRgnIndirect(&area);
          ::CombineRgn(update, update, page, RGN_AND);
          HDC dc = ::GetDC(hwnd);
          ::FillRgn(dc, update, BackgroundOf(s));
          ::ReleaseDC(hwnd, dc);
          ::DeleteObject(page);
        }
        ::DeleteObject(update);
        return result;
      }
      break;
    default:
      break;
  }
  return ::DefSubclassProc(hwnd, message, wparam, lparam);
}

// ---- Creation ----

void MainWindow::CreateControls() {
  for (const ControlState& s : model_.Controls()) {
    const std::optional<NativeClass> native = NativeClassOf(s);
    if (!native) continue;
    // Places are relative to the parent; the native controls are all children of the window.
    Rect place = s.place;
    for (std::optional<Ctl> at = s.parent; at; at = model_.Control(*at).parent) {
      place.left += model_.Control(*at).place.left;
      place.top += model_.Control(*at).place.top;
    }
    const int height = place.height + (s.kind == Kind::kComboBox ? kDropDownHeight : 0);
    HWND hwnd = ::CreateWindowExW(
        native->ex_style, native->name, L"", WS_CHILD | WS_CLIPSIBLINGS | native->style, place.left,
        place.top, place.width, height, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(s.id))), instance_, nullptr);
    if (hwnd == nullptr) continue;
    natives_[static_cast<int>(s.id)] = hwnd;
    ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(s)), FALSE);
    if (s.kind == Kind::kTabControl) {
      for (std::size_t i = 0; i < s.tabs.size(); ++i) {
        std::wstring text = Wide(s.tabs[i]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        ::SendMessageW(hwnd, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
      }
    }
    if (s.kind == Kind::kEditBox) {
      // The largest text the control takes: a long unattended run never stops logging.
      ::SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0);
    }
    if (s.kind == Kind::kEditBox || s.kind == Kind::kLabel || s.kind == Kind::kGroupBox ||
        s.kind == Kind::kTabControl) {
      ::SetWindowSubclass(hwnd, ControlProc, static_cast<UINT_PTR>(ControlId(s.id)),
                          reinterpret_cast<DWORD_PTR>(this));
    }
  }
  for (const ControlState& s : model_.Controls()) ApplyAll(s.id);
  ApplyVisibility();
}

void MainWindow::StackControls() {
  for (int layer = 0; layer < kStackLayers; ++layer) {
    for (const ControlState& s : model_.Controls()) {
      HWND hwnd = Native(s.id);
      if (hwnd == nullptr || StackLayer(s.kind) != layer) continue;
      ::SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
}

std::optional<Ctl> MainWindow::ControlOf(HWND hwnd) const {
  if (hwnd == nullptr) return std::nullopt;
  for (int i = 0; i < kControlCount; ++i) {
    if (natives_[i] == hwnd) return static_cast<Ctl>(i);
  }
  return std::nullopt;
}

HFONT MainWindow::FontFor(const ControlState& s) {
  // No size given: the system's default GUI font.
  if (s.font.height == 0) return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  const auto key = std::make_pair(s.font.height, s.font.face);
  if (auto it = fonts_.find(key); it != fonts_.end()) return it->second;
  // A character height in pixels (hence negative), GB2312. No face: the system's default face
  // for GB2312, which is the GUI font's own face on a system whose GUI font is GB2312 (SimSun on
  // a Chinese Windows); elsewhere the font mapper picks one.
  std::wstring face = Wide(s.font.face);
  if (face.empty()) {
    LOGFONTW gui{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
    if (gui.lfCharSet == GB2312_CHARSET) face = gui.lfFaceName;
  }
  HFONT font = ::CreateFontW(-s.font.height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
  if (font == nullptr) font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  fonts_.emplace(key, font);
  return font;
}

HBRUSH MainWindow::Brush(COLORREF colour) {
  if (auto it = brushes_.find(colour); it != brushes_.end()) return it->second;
  HBRUSH brush = ::CreateSolidBrush(colour);
  brushes_.emplace(colour, brush);
  return brush;
}

HBRUSH MainWindow::BackgroundOf(const ControlState& s) {
  const ControlState& tab = model_.Control(Ctl::选择夹1);
  if ((s.page >= 0 || s.id == Ctl::选择夹1) && tab.fill_background && tab.background) {
    return Brush(ColourRef(*tab.background));
  }
  // The default background: the system's button-face colour, as the window's own.
  return ::GetSysColorBrush(COLOR_BTNFACE);
}

bool MainWindow::ShownOnScreen(const ControlState& s) const {
  if (s.page >= 0 && s.page != model_.CurrentTab(Ctl::选择夹1)) return false;
  for (std::optional<Ctl> at = s.id; at; at = model_.Control(*at).parent) {
    if (!model_.Visible(*at)) return false;
  }
  return true;
}

bool MainWindow::EnabledOnScreen(const ControlState& s) const {
  for (std::optional<Ctl> at = s.id; at; at = model_.Control(*at).parent) {
    if (!model_.Enabled(*at)) return false;
  }
  return true;
}

// ---- Model -> native ----

void MainWindow::OnModelChanged(std::optional<Ctl> control, ModelProperty what) {
  if (!started_ || hwnd_ == nullptr) return;
  if (!control) {
    switch (what) {
      case ModelProperty::kCaption: {
        const std::wstring caption = Wide(model_.Caption());
        if (NativeText(hwnd_) != caption) {
          Applying applying(*this);
          ::SetWindowTextW(hwnd_, caption.c_str());
        }
        break;
      }
      case ModelProperty::kWindowRect:
        ApplyWindowRect();
        break;
      case ModelProperty::kFocus:
        ApplyFocus();
        break;
      default:
        break;
    }
    return;
  }
  const Ctl c = *control;
  HWND hwnd = Native(c);
  switch (what) {
    case ModelProperty::kVisible:
      ApplyVisibility();
      break;
    case ModelProperty::kEnabled: {
      Applying applying(*this);
      for (const ControlState& s : model_.Controls()) {
        HWND native = Native(s.id);
        const bool enabled = EnabledOnScreen(s);
        if (native != nullptr && (::IsWindowEnabled(native) != FALSE) != enabled) {
          ::EnableWindow(native, enabled ? TRUE : FALSE);
        }
      }
      break;
    }
    case ModelProperty::kText:
      ApplyText(c);
      break;
    case ModelProperty::kTextColour:
      if (hwnd != nullptr) ::InvalidateRect(hwnd, nullptr, TRUE);
      break;
    case ModelProperty::kChecked:
      if (hwnd != nullptr) {
        Applying applying(*this);
        ::SendMessageW(hwnd, BM_SETCHECK, model_.Checked(c) ? BST_CHECKED : BST_UNCHECKED, 0);
      }
      break;
    case ModelProperty::kItems:
      ApplyItems(c);
      break;
    case ModelProperty::kSelection:
      ApplySelection(c);
      break;
    case ModelProperty::kCurrentTab:
      if (hwnd != nullptr) {
        const int current = model_.CurrentTab(c);
        if (::SendMessageW(hwnd, TCM_GETCURSEL, 0, 0) != current) {
          Applying applying(*this);
          ::SendMessageW(hwnd, TCM_SETCURSEL, static_cast<WPARAM>(current), 0);
        }
      }
      ApplyVisibility();
      break;
    case ModelProperty::kBackground:
      ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      break;
    case ModelProperty::kPeriod:
      ApplyPeriod(c);
      break;
    default:
      break;
  }
}

void MainWindow::OnTextAppended(Ctl control, std::string_view text) {
  HWND hwnd = Native(control);
  if (!started_ || hwnd == nullptr) return;
  if (model_.Control(control).kind != Kind::kEditBox) {
    ApplyText(control);
    return;
  }
  // At the very end, whatever the user had selected, and scrolled into view.
  Applying applying(*this);
  const std::wstring wide = Wide(text);
  const int end = ::GetWindowTextLengthW(hwnd);
  ::SendMessageW(hwnd, EM_SETSEL, static_cast<WPARAM>(end), static_cast<LPARAM>(end));
  ::SendMessageW(hwnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
  ::SendMessageW(hwnd, EM_SCROLLCARET, 0, 0);
}

void MainWindow::ApplyAll(Ctl c) {
  const ControlState& s = model_.Control(c);
  HWND hwnd = Native(c);
  if (s.kind == Kind::kTimer) {
    ApplyPeriod(c);
    return;
  }
  if (hwnd == nullptr) return;
  Applying applying(*this);
  ::EnableWindow(hwnd, EnabledOnScreen(s) ? TRUE : FALSE);
  switch (s.kind) {
    case Kind::kCheckBox:
    case Kind::kRadioButton:
      ::SendMessageW(hwnd, BM_SETCHECK, s.checked ? BST_CHECKED : BST_UNCHECKED, 0);
      ApplyText(c);
      break;
    case Kind::kComboBox:
      ApplyItems(c);
      break;
    case Kind::kTabControl:
      ::SendMessageW(hwnd, TCM_SETCURSEL, static_cast<WPARAM>(s.current_tab), 0);
      break;
    default:
      ApplyText(c);
      break;
  }
}

void MainWindow::ApplyText(Ctl c) {
  const ControlState& s = model_.Control(c);
  HWND hwnd = Native(c);
  if (hwnd == nullptr || s.kind == Kind::kTabControl) return;
  // A drop-down list shows its selected item; its own text never shows.
  if (s.kind == Kind::kComboBox && !s.editable) return;
  const std::wstring text = Wide(s.text);
  if (NativeText(hwnd) == text) return;
  Applying applying(*this);
  ::SetWindowTextW(hwnd, text.c_str());
  if (s.kind == Kind::kEditBox) {
    const int start = WideOffset(s.text, s.selection_start);
    const int end = WideOffset(s.text, s.selection_start + s.selection_length);
    ::SendMessageW(hwnd, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
    ::SendMessageW(hwnd, EM_SCROLLCARET, 0, 0);
  }
}

void MainWindow::ApplyItems(Ctl c) {
  const ControlState& s = model_.Control(c);
  HWND hwnd = Native(c);
  if (hwnd == nullptr || s.kind != Kind::kComboBox) return;
  {
    Applying applying(*this);
    ::SendMessageW(hwnd, CB_RESETCONTENT, 0, 0);
    for (const ComboItem& item : s.items) {
      const std::wstring text = Wide(item.text);
      ::SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    ::SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(s.selection), 0);
  }
  ApplyText(c);
}

void MainWindow::ApplySelection(Ctl c) {
  const ControlState& s = model_.Control(c);
  HWND hwnd = Native(c);
  if (hwnd == nullptr || s.kind != Kind::kComboBox) return;
  // The user's own typing chose (or dropped) the item; the box already shows what was typed,
  // and selecting the item natively would select its whole text under the caret.
  if (s.editable && feeding_ == c) return;
  if (::SendMessageW(hwnd, CB_GETCURSEL, 0, 0) != s.selection) {
    Applying applying(*this);
    ::SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(s.selection), 0);
  }
  if (s.editable) ApplyText(c);
}

void MainWindow::ApplyVisibility() {
  Applying applying(*this);
  for (const ControlState& s : model_.Controls()) {
    HWND hwnd = Native(s.id);
    if (hwnd == nullptr) continue;
    const bool shown = ShownOnScreen(s);
    const bool now = (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown != now) ::ShowWindow(hwnd, shown ? SW_SHOWNA : SW_HIDE);
  }
}

void MainWindow::ApplyPeriod(Ctl c) {
  const int period = model_.Period(c);
  const auto id = static_cast<UINT_PTR>(ControlId(c));
  // Setting a timer again replaces it and starts its countdown anew; the model only reports a
  // period that really changed.
  if (period > 0) {
    ::SetTimer(hwnd_, id, static_cast<UINT>(period), nullptr);
  } else {
    ::KillTimer(hwnd_, id);
  }
}

void MainWindow::ApplyFocus() {
  // After a focus loss the native focus has moved on by itself.
  if (feeding_focus_out_) return;
  const std::optional<Ctl> focus = model_.Focus();
  HWND target = focus ? Native(*focus) : hwnd_;
  if (target == nullptr) return;
  HWND now = ::GetFocus();
  if (now == target || ::IsChild(target, now)) return;
  Applying applying(*this);
  ::SetFocus(target);
}

void MainWindow::ApplyWindowRect() {
  const Rect place = model_.WindowRect();
  RECT now{};
  ::GetWindowRect(hwnd_, &now);
  if (now.left == place.left && now.top == place.top && now.right - now.left == place.width &&
      now.bottom - now.top == place.height) {
    return;
  }
  Applying applying(*this);
  ::SetWindowPos(hwnd_, nullptr, place.left, place.top, place.width, place.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- Native -> model ----

void MainWindow::OnCommand(Ctl c, HWND hwnd, int code) {
  if (!started_ || applying_ > 0) return;
  switch (model_.Control(c).kind) {
    case Kind::kButton:
    case Kind::kCheckBox:
    case Kind::kRadioButton:
      if (code == BN_CLICKED) {
        Feeding feeding(*this, c);
        // Refused (disabled in the model): the native control shows the model's state again.
        if (!model_.UserClick(c)) ApplyAll(c);
      }
      break;
    case Kind::kEditBox:
      if (code == EN_CHANGE) OnEditChanged(c, hwnd);
      if (code == EN_SETFOCUS && model_.Focus() != c) {
        Feeding feeding(*this, c);
        model_.UserClick(c);
      }
      if (code == EN_KILLFOCUS) OnFocusLost(c, hwnd);
      break;
    case Kind::kComboBox:
      if (code == CBN_SELCHANGE) {
        const int index = static_cast<int>(::SendMessageW(hwnd, CB_GETCURSEL, 0, 0));
        if (index < 0) break;
        Feeding feeding(*this, c);
        if (!model_.UserSelectItem(c, index)) ApplySelection(c);
      }
      if (code == CBN_EDITCHANGE) OnEditChanged(c, hwnd);
      if (code == CBN_SETFOCUS && model_.Focus() != c) {
        Feeding feeding(*this, c);
        model_.UserClick(c);
      }
      if (code == CBN_KILLFOCUS) OnFocusLost(c, hwnd);
      break;
    default:
      break;
  }
}

void MainWindow::OnEditChanged(Ctl c, HWND hwnd) {
  std::string text = Gbk(NativeText(hwnd));
  if (text == model_.Text(c)) return;
  Feeding feeding(*this, c);
  if (!model_.UserReplaceText(c, std::move(text))) ApplyText(c);
}

void MainWindow::OnFocusLost(Ctl c, HWND hwnd) {
  if (model_.Focus() != c) return;
  if (model_.Control(c).kind == Kind::kEditBox) {
    // Where the caret stood, for a box that rewrites its text when it is left.
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    const std::wstring text = NativeText(hwnd);
    const int start_byte = GbkOffset(text, static_cast<int>(start));
    model_.UserSelectText(c, start_byte, GbkOffset(text, static_cast<int>(end)) - start_byte);
  }
  Feeding feeding(*this, c, /*focus_out=*/true);
  model_.UserFocusOut(c);
}

void MainWindow::OnWindowMoved() {
  // A minimised window has no place worth reporting; it gets its old one back when restored.
  if (!started_ || applying_ > 0 || ::IsIconic(hwnd_)) return;
  RECT now{};
  ::GetWindowRect(hwnd_, &now);
  model_.UserMoveWindow({now.left, now.top, now.right - now.left, now.bottom - now.top});
}

LRESULT MainWindow::OnControlColour(HDC dc, HWND hwnd, bool edit_message) {
  std::optional<Ctl> c = ControlOf(hwnd);
  // An editable combo box's edit field asks for its box.
  if (!c) c = ControlOf(::GetParent(hwnd));
  if (!c) {
    return ::DefWindowProcW(hwnd_, edit_message ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC,
                            reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd));
  }
  const ControlState& s = model_.Control(*c);
  switch (s.kind) {
    case Kind::kEditBox:
      // A disabled box keeps the system's disabled look.
      if (!edit_message && !::IsWindowEnabled(hwnd)) break;
      ::SetTextColor(dc, ColourRef(s.text_colour));
      ::SetBkColor(dc, ColourRef(s.back_colour));
      return reinterpret_cast<LRESULT>(Brush(ColourRef(s.back_colour)));
    case Kind::kLabel:
    case Kind::kTransparentLabel:
      ::SetTextColor(dc, ColourRef(s.text_colour));
      [[fallthrough]];
    case Kind::kCheckBox:
    case Kind::kRadioButton:
    case Kind::kGroupBox:
      // Drawn over the background of the page or window they sit on.
      ::SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(BackgroundOf(s));
    default:
      break;
  }
  return ::DefWindowProcW(hwnd_, edit_message ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC,
                          reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd));
}

}  // namespace morvane
