#include "ui/headless/script.h"

#include <charconv>
#include <cmath>
#include <optional>

#include "app/app.h"
#include "platform/encoding.h"
#include "platform/sim/sim_platform.h"
#include "text/gbk_text.h"
#include "text/numbers.h"

namespace morvane {
namespace {

// Splits off the first word: the text up to the first blank, and the rest after that blank.
std::string_view NextWord(std::string_view& rest) {
  const std::size_t blank = rest.find(' ');
  std::string_view word = rest.substr(0, blank);
  rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
  return word;
}

std::optional<int> ParseInt(std::string_view text) {
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<DateFields> ParseClock(std::string_view text) {
  DateFields f;
  if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
      text[16] != ':') {
    return std::nullopt;
  }
  const std::optional<int> parts[] = {ParseInt(text.substr(0, 4)),  ParseInt(text.substr(5, 2)),
                                      ParseInt(text.substr(8, 2)),  ParseInt(text.substr(11, 2)),
                                      ParseInt(text.substr(14, 2)), ParseInt(text.substr(17, 2))};
  for (const auto& part : parts) {
    if (!part) return std::nullopt;
  }
  f = {*parts[0], *parts[1], *parts[2], *parts[3], *parts[4], *parts[5]};
  if (!IsValidDateTime(f)) return std::nullopt;
  return f;
}

std::string Bool(bool value) { return value ? "1" : "0"; }

}  // namespace

bool DecodeEscapes(std::string_view text, std::string& decoded) {
  decoded.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      decoded += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case 'r':
        decoded += '\r';
        break;
      case 'n':
        decoded += '\n';
        break;
      case 't':
        decoded += '\t';
        break;
      case '\\':
        decoded += '\\';
        break;
      case '"':
        decoded += '"';
        break;
      default:
        return false;
    }
  }
  return true;
}

ScriptRunner::ScriptRunner(App& app, ScriptMachine& machine, SimPlatform* sim, Encoding& encoding,
                           std::ostream& out)
    : app_(app), machine_(machine), sim_(sim), encoding_(encoding), out_(out) {}

const std::string* ScriptRunner::SharedText(std::string_view name) const {
  const std::pair<std::string_view, const std::string*> texts[] = {
      {"RecorderPath", &app_.RecorderPath},     {"SourceArgs", &app_.SourceArgs},
      {"VideoInputArg", &app_.VideoInputArg},   {"AudioInputArg", &app_.AudioInputArg},
      {"FrameRateArg", &app_.FrameRateArg},     {"BitrateArg", &app_.BitrateArg},
      {"MaxRateArg", &app_.MaxRateArg},         {"DurationArg", &app_.DurationArg},
      {"DeinterlaceArg", &app_.DeinterlaceArg}, {"SearchTitle", &app_.SearchTitle},
      {"SaveFolder", &app_.SaveFolder},         {"RunDirectory", &app_.RunDirectory},
  };
  for (const auto& [text_name, text] : texts) {
    if (text_name == name) return text;
  }
  return nullptr;
}

std::string ScriptRunner::Utf8(std::string_view gbk) {
  if (std::optional<std::string> utf8 = GbkToUtf8(encoding_, gbk)) return *utf8;
  // Bytes that are no GBK text are shown one by one.
  std::string shown;
  for (std::size_t i = 0; i < gbk.size();) {
    const std::size_t length = CharLengthAt(gbk, i);
    const std::string_view character = gbk.substr(i, length);
    i += length;
    if (std::optional<std::string> utf8 = GbkToUtf8(encoding_, character)) {
      shown += *utf8;
      continue;
    }
    for (unsigned char byte : character) {
      static constexpr char kHex[] = "0123456789ABCDEF";
      shown += "\\x";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 15];
    }
  }
  return shown;
}

std::string ScriptRunner::Quote(std::string_view gbk) {
  std::string quoted = "\"";
  for (char c : Utf8(gbk)) {
    switch (c) {
      case '\r':
        quoted += "\\r";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\t':
        quoted += "\\t";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      case '"':
        quoted += "\\\"";
        break;
      default:
        quoted += c;
    }
  }
  return quoted + "\"";
}

bool ScriptRunner::RunLine(std::string_view line, std::string& error) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.empty() || line[0] == '#') return true;
  std::string_view rest = line;
  const std::string_view command = NextWord(rest);
  return RunCommand(command, rest, error);
}

bool ScriptRunner::RunCommand(std::string_view command, std::string_view rest, std::string& error) {
  WindowModel& w = app_.window;
  if (command == "print") return Print(rest, error);

  // Commands that set up the machine rather than act on the window; all but "dialog" need the
  // simulated machine.
  const bool machine = command == "clock" || command == "window" || command == "process" ||
                       command == "dialog" || command == "file";
  if (!machine && app_.Destroyed()) {
    error = "the window is closed";
    return false;
  }
  if (command == "wait") {
    double seconds = 0;
    auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), seconds);
    if (ec != std::errc() || end != rest.data() + rest.size() || seconds < 0) {
      error = "wait takes a number of seconds";
      return false;
    }
    app_.platform.events.DelayWithEvents(static_cast<int>(std::llround(seconds * 1000)));
    return true;
  }
  if (command == "close") {
    app_.Close();
    return true;
  }
  if (command == "tab") {
    std::optional<int> index = ParseInt(rest);
    if (!index) {
      error = "tab takes an index";
      return false;
    }
    if (!w.UserSelectTab(*index)) out_ << "note: the tab control ignored the selection\n";
    return true;
  }

  if (sim_ == nullptr && machine && command != "dialog") {
    error = "'" + std::string(command) + "' needs the simulated platform";
    return false;
  }
  if (command == "clock") {
    std::optional<DateFields> time = ParseClock(rest);
    if (!time) {
      error = "clock takes YYYY-MM-DD HH:MM:SS";
      return false;
    }
    sim_->SetLocalTime(*time);
    return true;
  }
  if (machine) {
    const std::string_view verb = NextWord(rest);
    std::string text;
    std::optional<std::string> gbk;
    if (!DecodeEscapes(rest, text) || !(gbk = Utf8ToGbk(encoding_, text))) {
      error = "the text has a bad escape or a character without a GBK form";
      return false;
    }
    if (command == "window" && verb == "add") {
      sim_->AddForeignWindow(*gbk);
    } else if (command == "window" && verb == "remove") {
      if (!sim_->RemoveForeignWindow(*gbk)) out_ << "note: no such window\n";
    } else if (command == "process" && verb == "exit") {
      if (!sim_->EndProcessByName(*gbk)) out_ << "note: no such process\n";
    } else if (command == "dialog" && verb == "save") {
      machine_.QueueDialogAnswer(*gbk);
    } else if (command == "file" && verb == "add") {
      if (!sim_->AddFile(*gbk)) out_ << "note: cannot create that file\n";
    } else if (command == "file" && verb == "remove") {
      if (!sim_->RemoveFile(*gbk)) out_ << "note: no such file\n";
    } else if (command == "dialog" && verb == "cancel" && rest.empty()) {
      machine_.QueueDialogAnswer(std::nullopt);
    } else {
      error = "unknown command";
      return false;
    }
    return true;
  }

  // The user actions on a named control.
  const std::string_view name_utf8 = NextWord(rest);
  std::optional<std::string> name = Utf8ToGbk(encoding_, name_utf8);
  std::optional<Ctl> control = name ? ControlByName(*name) : std::nullopt;
  if (!control) {
    error = "no control named '" + std::string(name_utf8) + "'";
    return false;
  }
  auto ignored = [&](const char* what) {
    out_ << "note: " << name_utf8 << " ignored the " << what << "\n";
    return true;
  };
  if (command == "click") {
    return w.UserClick(*control) || ignored("click");
  }
  if (command == "select") {
    std::optional<int> index = ParseInt(rest);
    if (!index) {
      error = "select takes an item index";
      return false;
    }
    return w.UserSelectItem(*control, *index) || ignored("selection");
  }
  if (command == "key-up") {
    std::optional<int> code = ParseInt(rest);
    if (!code) {
      error = "key-up takes a virtual key code";
      return false;
    }
    return w.UserKeyUp(*control, *code) || ignored("key");
  }
  if (command == "focus-out") {
    return w.UserFocusOut(*control) || ignored("focus change");
  }
  if (command == "set" || command == "type") {
    std::string text;
    std::optional<std::string> gbk;
    if (!DecodeEscapes(rest, text) || !(gbk = Utf8ToGbk(encoding_, text))) {
      error = "the text has a bad escape or a character without a GBK form";
      return false;
    }
    if (command == "set") return w.UserReplaceText(*control, *gbk) || ignored("text");
    return w.UserType(*control, *gbk) || ignored("typing");
  }
  error = "unknown command '" + std::string(command) + "'";
  return false;
}

bool ScriptRunner::Print(std::string_view what, std::string& error) {
  const WindowModel& w = app_.window;
  if (what == "caption") {
    out_ << "caption: " << Quote(w.Caption()) << "\n";
  } else if (what == "log") {
    out_ << "log: " << Quote(w.Text(Ctl::编辑框1日志)) << "\n";
  } else if (what == "log-colour") {
    const Rgb c = w.TextColour(Ctl::编辑框1日志);
    out_ << "log-colour: " << int{c.r} << "," << int{c.g} << "," << int{c.b} << "\n";
  } else if (what == "window") {
    const Rect& r = w.WindowRect();
    out_ << "window: " << r.left << "," << r.top << "," << r.width << "," << r.height << "\n";
  } else if (what == "commands") {
    for (const ScriptMachine::Command& c : machine_.Commands()) {
      out_ << "command: " << Quote(c.command_line) << " show=" << static_cast<int>(c.show) << "\n";
    }
  } else if (what == "processes") {
    for (const ProcessEntry& p : machine_.RunningPrograms()) {
      out_ << "process: " << p.pid << " " << Quote(p.exe_name) << "\n";
    }
  } else if (what == "windows") {
    if (sim_ != nullptr) {
      // The simulated machine knows every window's place and whether it is minimised.
      for (const SimWindow& win : sim_->AllWindows()) {
        if (!win.visible) continue;
        const Rect& r = win.place;
        out_ << "window: " << Quote(win.title) << " " << r.left << "," << r.top << "," << r.width
             << "," << r.height << (win.minimised ? " minimised" : "") << "\n";
      }
    } else {
      Windows& windows = app_.platform.windows;
      for (WindowHandle window : windows.ListVisibleWindows()) {
        out_ << "window: " << Quote(windows.GetWindowTitle(window));
        if (const std::optional<Rect> r = machine_.WindowPlace(window)) {
          out_ << " " << r->left << "," << r->top << "," << r->width << "," << r->height;
        }
        out_ << "\n";
      }
    }
  } else if (const std::string* value = SharedText(what)) {
    out_ << what << ": " << Quote(*value) << "\n";
  } else if (what == "LogCounter" || what == "NameSuffixCounter") {
    out_ << what << ": " << (what == "LogCounter" ? app_.LogCounter : app_.NameSuffixCounter)
         << "\n";
  } else {
    std::optional<std::string> name = Utf8ToGbk(encoding_, what);
    std::optional<Ctl> control = name ? ControlByName(*name) : std::nullopt;
    if (!control) {
      error = "nothing to print named '" + std::string(what) + "'";
      return false;
    }
    const ControlState& c = w.Control(*control);
    out_ << what << ": text=" << Quote(w.Text(*control)) << " visible=" << Bool(c.visible)
         << " enabled=" << Bool(c.enabled);
    switch (c.kind) {
      case Kind::kCheckBox:
      case Kind::kRadioButton:
        out_ << " checked=" << Bool(c.checked);
        break;
      case Kind::kComboBox: {
        out_ << " selection=" << c.selection << " items=[";
        for (std::size_t i = 0; i < c.items.size(); ++i) {
          out_ << (i ? "," : "") << Quote(c.items[i].text) << ":" << c.items[i].value;
        }
        out_ << "]";
        break;
      }
      case Kind::kTabControl:
        out_ << " tab=" << c.current_tab;
        break;
      case Kind::kTimer:
        out_ << " period=" << c.period;
        break;
      default:
        break;
    }
    out_ << "\n";
  }
  return true;
}

}  // namespace morvane
