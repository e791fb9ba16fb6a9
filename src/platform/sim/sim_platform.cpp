#include "platform/sim/sim_platform.h"

#include <algorithm>

#include "platform/host_files.h"
#include "platform/ini_profiles.h"
#include "text/command_line.h"
#include "text/gbk_text.h"
#include "text/numbers.h"

namespace morvane {
namespace {

bool HasDrive(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

// The components of an absolute path "X:\a\b", with "." and ".." resolved.
std::vector<std::string> Components(std::string_view absolute) {
  std::vector<std::string> parts;
  std::size_t i = 0;
  while (i <= absolute.size()) {
    std::size_t end = absolute.find('\\', i);
    if (end == std::string_view::npos) end = absolute.size();
    std::string_view part = absolute.substr(i, end - i);
    if (part == "..") {
      if (parts.size() > 1) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.emplace_back(part);
    }
    i = end + 1;
  }
  return parts;
}

std::string_view FileNameOf(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

SimPlatform::SimPlatform(SimOptions options, Encoding& encoding)
    : options_(std::move(options)),
      encoding_(encoding),
      profiles_(std::make_unique<IniProfileFiles>(*this)),
      platform_(std::make_unique<Platform>(
          Platform{*this, encoding_, *this, *this, *this, *this, *this, *profiles_})),
      clock_base_seconds_(DateTime::FromFields(options_.start_time).seconds()),
      current_directory_(options_.run_directory),
      dialogs_(*this, [this](std::string_view name) { return Absolute(name); }) {}

SimPlatform::~SimPlatform() = default;

void SimPlatform::SetLocalTime(const DateFields& fields) {
  clock_base_seconds_ = DateTime::FromFields(fields).seconds();
  clock_base_ms_ = now_ms_;
}

DateFields SimPlatform::LocalNow() {
  const int64_t elapsed = (now_ms_ - clock_base_ms_) / 1000;
  return DateTime::FromSeconds(clock_base_seconds_ + elapsed).ToFields();
}

std::string SimPlatform::Absolute(std::string_view path) const {
  std::string p(path);
  std::replace(p.begin(), p.end(), '/', '\\');
  if (HasDrive(p)) {
    return p.size() > 2 && p[2] == '\\' ? p : p.substr(0, 2) + "\\" + p.substr(2);
  }
  if (!p.empty() && p[0] == '\\') return current_directory_.substr(0, 2) + p;
  return current_directory_ + "\\" + p;
}

std::optional<std::filesystem::path> SimPlatform::HostPath(std::string_view path) {
  const std::vector<std::string> parts = Components(Absolute(path));
  if (parts.empty() || !HasDrive(parts[0])) return std::nullopt;
  const std::vector<std::string> home = Components(options_.run_directory);
  std::size_t skip = 0;
  std::filesystem::path host = options_.root;
  if (parts.size() >= home.size() &&
      std::equal(home.begin(), home.end(), parts.begin(), SameTextIgnoringCase)) {
    skip = home.size();
  } else {
    host /= ".drives";
    host /= std::string(1, static_cast<char>(parts[0][0] & ~0x20));
    skip = 1;
  }
  for (std::size_t i = skip; i < parts.size(); ++i) {
    std::optional<std::string> utf8 = GbkToUtf8(encoding_, parts[i]);
    if (!utf8) return std::nullopt;
    host /= std::u8string(utf8->begin(), utf8->end());  // UTF-8 on every host, Windows too
  }
  return host;
}

bool SimPlatform::Exists(std::string_view path) {
  std::optional<std::filesystem::path> host = HostPath(path);
  return host && HostEntryExists(*host);
}

std::optional<std::string> SimPlatform::ReadFile(std::string_view path) {
  std::optional<std::filesystem::path> host = HostPath(path);
  if (!host) return std::nullopt;
  return ReadHostFile(*host);
}

bool SimPlatform::WriteFile(std::string_view path, std::string_view bytes) {
  std::optional<std::filesystem::path> host = HostPath(path);
  return host && WriteHostFileAtomically(*host, bytes);
}

bool SimPlatform::AddFile(std::string_view path) {
  std::optional<std::filesystem::path> host = HostPath(path);
  std::error_code ec;
  if (!host) return false;
  std::filesystem::create_directories(host->parent_path(), ec);
  return WriteHostFileAtomically(*host, "");
}

bool SimPlatform::RemoveFile(std::string_view path) {
  std::optional<std::filesystem::path> host = HostPath(path);
  std::error_code ec;
  return host && std::filesystem::remove_all(*host, ec) > 0;
}

bool SimPlatform::SetCurrentDirectory(std::string_view path) {
  std::optional<std::filesystem::path> host = HostPath(path);
  std::error_code ec;
  if (!host || !std::filesystem::is_directory(*host, ec)) return false;
  std::string absolute = Absolute(path);
  while (absolute.size() > 3 && absolute.back() == '\\') absolute.pop_back();
  current_directory_ = std::move(absolute);
  return true;
}

bool SimPlatform::RunProgram(std::string_view command_line, ShowMode show) {
  const std::vector<std::string> args = SplitCommandLine(command_line);
  if (args.empty()) return false;
  std::optional<std::filesystem::path> program = HostPath(args[0]);
  std::error_code ec;
  if (!program || !std::filesystem::is_regular_file(*program, ec)) return false;

  commands_.push_back({std::string(command_line), show});
  SimProcess process;
  process.pid = next_pid_;
  next_pid_ += 4;
  process.exe_name = std::string(FileNameOf(args[0]));
  process.command_line = std::string(command_line);
  // A console program gets a console window titled with its path, on top of all others.
  const int offset = static_cast<int>(processes_.size() % 8) * 24;
  process.console = OpenWindow(Absolute(args[0]), show != ShowMode::kHide,
                               {120 + offset, 80 + offset, 660, 340}, process.pid);
  FindWindow(process.console)->minimised = show == ShowMode::kMinimize;
  processes_.push_back(process);
  StartProgramBehaviour(process, args);
  return true;
}

void SimPlatform::StartProgramBehaviour(const SimProcess& process,
                                        const std::vector<std::string>& args) {
  auto value_after = [&](std::string_view option) -> std::optional<std::string> {
    for (std::size_t i = 1; i + 1 < args.size(); ++i) {
      if (args[i] == option) return args[i + 1];
    }
    return std::nullopt;
  };
  if (SameTextIgnoringCase(process.exe_name, "ffmpeg.exe") && args.size() > 1) {
    // The recorder writes the file named by its last argument. Its folder must exist; an existing
    // file is left alone, and the recorder then waits at its overwrite question for good.
    std::optional<std::filesystem::path> output = HostPath(args.back());
    std::error_code ec;
    if (!output || !std::filesystem::is_directory(output->parent_path(), ec)) {
      happenings_.push_back({now_ms_ + 100, process.pid, Happening::What::kExit, {}});
      return;
    }
    if (!std::filesystem::exists(*output, ec)) {
      WriteHostFileAtomically(*output, "simulated recording\n");
      if (std::optional<std::string> limit = value_after("-t")) {
        const double seconds = TextToNumber(*limit);
        happenings_.push_back({now_ms_ + static_cast<int64_t>(std::max(seconds, 0.0) * 1000),
                               process.pid,
                               Happening::What::kExit,
                               {}});
      }
    }
  } else if (SameTextIgnoringCase(process.exe_name, "ffplay.exe")) {
    if (std::optional<std::string> title = value_after("-window_title")) {
      happenings_.push_back({now_ms_ + options_.preview_window_delay_ms, process.pid,
                             Happening::What::kOpenVideoWindow, *title});
    }
  }
}

std::vector<ProcessEntry> SimPlatform::ListProcesses() {
  std::vector<ProcessEntry> list;
  for (const SimProcess& p : processes_) list.push_back({p.pid, p.exe_name});
  return list;
}

bool SimPlatform::TerminateProcess(uint32_t pid) {
  const bool running = std::any_of(processes_.begin(), processes_.end(),
                                   [&](const SimProcess& p) { return p.pid == pid; });
  if (running) EndProcess(pid);
  return running;
}

std::string SimPlatform::CaptureConsoleOutput(std::string_view) {
  return device_listing_.substr(0, device_listing_.find('\0'));
}

void SimPlatform::EndProcess(uint32_t pid) {
  std::erase_if(processes_, [&](const SimProcess& p) { return p.pid == pid; });
  std::erase_if(windows_, [&](const SimWindow& w) { return w.owner == pid; });
  std::erase_if(happenings_, [&](const Happening& h) { return h.pid == pid; });
}

bool SimPlatform::EndProcessByName(std::string_view exe_name) {
  for (auto it = processes_.rbegin(); it != processes_.rend(); ++it) {
    if (SameTextIgnoringCase(it->exe_name, exe_name)) {
      EndProcess(it->pid);
      return true;
    }
  }
  return false;
}

SimWindow* SimPlatform::FindWindow(WindowHandle handle) {
  auto it = std::find_if(windows_.begin(), windows_.end(),
                         [&](const SimWindow& w) { return w.handle == handle; });
  return it == windows_.end() ? nullptr : &*it;
}

WindowHandle SimPlatform::OpenWindow(std::string title, bool visible, Rect place, uint32_t owner) {
  const WindowHandle handle = next_window_;
  next_window_ += 0x10;
  windows_.insert(windows_.begin(),
                  SimWindow{handle, std::move(title), visible, false, place, owner});
  return handle;
}

void SimPlatform::AddForeignWindow(std::string title) {
  OpenWindow(std::move(title), true, {200, 150, 800, 600}, 0);
}

bool SimPlatform::RemoveForeignWindow(std::string_view title) {
  auto it = std::find_if(windows_.begin(), windows_.end(),
                         [&](const SimWindow& w) { return w.owner == 0 && w.title == title; });
  if (it == windows_.end()) return false;
  windows_.erase(it);
  return true;
}

std::vector<WindowHandle> SimPlatform::ListVisibleWindows() {
  std::vector<WindowHandle> list;
  for (const SimWindow& w : windows_) {
    if (w.visible) list.push_back(w.handle);
  }
  return list;
}

std::string SimPlatform::GetWindowTitle(WindowHandle window) {
  const SimWindow* w = FindWindow(window);
  return w == nullptr ? std::string() : w->title;
}

void SimPlatform::PostCloseMessage(WindowHandle window) {
  const SimWindow* w = FindWindow(window);
  if (w == nullptr) return;
  // Closing a program's window ends that program; another program's window just closes.
  if (w->owner != 0) {
    EndProcess(w->owner);
  } else {
    windows_.erase(windows_.begin() + (w - windows_.data()));
  }
}

void SimPlatform::CloseWindow(WindowHandle window) {
  if (SimWindow* w = FindWindow(window)) w->minimised = true;
}

void SimPlatform::MoveWindow(WindowHandle window, const Rect& place, bool) {
  if (SimWindow* w = FindWindow(window)) w->place = place;
}

void SimPlatform::QueueDialogAnswer(std::optional<std::string> path) {
  dialogs_.QueueAnswer(std::move(path));
}

std::optional<std::string> SimPlatform::SaveFileDialog(const SaveDialogRequest& request) {
  return dialogs_.SaveFileDialog(request);
}

void SimPlatform::RunUntil(int64_t until_ms, bool with_events) {
  for (;;) {
    auto next =
        std::min_element(happenings_.begin(), happenings_.end(),
                         [](const Happening& a, const Happening& b) { return a.at_ms < b.at_ms; });
    const int64_t happening_at = next == happenings_.end() ? -1 : next->at_ms;
    const int64_t tick_at = with_events && timers_ != nullptr ? timers_->NextTimerDue() : -1;
    if (happening_at >= 0 && happening_at <= until_ms && (tick_at < 0 || happening_at <= tick_at)) {
      const Happening h = *next;
      happenings_.erase(next);
      now_ms_ = std::max(now_ms_, h.at_ms);
      if (h.what == Happening::What::kExit) {
        EndProcess(h.pid);
      } else {
        OpenWindow(h.title, true, {100, 100, 622, 350}, h.pid);
      }
    } else if (tick_at >= 0 && tick_at <= until_ms) {
      now_ms_ = std::max(now_ms_, tick_at);
      timers_->FireDueTimers(now_ms_);
    } else {
      break;
    }
  }
  now_ms_ = std::max(now_ms_, until_ms);
}

void SimPlatform::ProcessEvents() { RunUntil(now_ms_, true); }

void SimPlatform::DelayWithEvents(int ms) { RunUntil(now_ms_ + std::max(ms, 0), true); }

// The other programs go on while the tool's thread sleeps; only its own events wait.
void SimPlatform::Sleep(int ms) { RunUntil(now_ms_ + std::max(ms, 0), false); }

}  // namespace morvane
