// morvane-headless: the tool without a window on screen, driven by a script.
//
//   morvane-headless [--dir DIR] [--child-output DIR] [SCRIPT | -]
//   morvane-headless --simulate [--dir DIR] [--clock "YYYY-MM-DD HH:MM:SS"]
//                    [--run-directory-name PATH] [--preview-delay SECONDS] [--devices FILE]
//                    [SCRIPT | -]
//
// It starts the tool (process start and start-up), runs the script, and closes the window at the
// end unless the script did. Without --simulate it runs on the real platform: real clock, files
// and processes. The language is described in docs/headless.md.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>

#include "app/app.h"
#include "platform/host_files.h"
#include "platform/sim/sim_platform.h"
#if !defined(_WIN32)
#include "platform/posix/native_windows.h"
#include "platform/posix/paths.h"
#include "platform/posix/posix_platform.h"
#endif
#include "ui/headless/script.h"

namespace {

namespace fs = std::filesystem;

int Usage(const std::string& problem) {
  std::cerr << "morvane-headless: " << problem << "\n"
            << "usage: morvane-headless [--dir DIR] [--child-output DIR] [SCRIPT | -]\n"
            << "       morvane-headless --simulate [--dir DIR] [--clock \"YYYY-MM-DD HH:MM:SS\"]\n"
            << "         [--run-directory-name PATH] [--preview-delay SECONDS] [--devices FILE]\n"
            << "         [SCRIPT | -]\n";
  return 2;
}

bool ParseClockOption(const std::string& text, morvane::DateFields& fields) {
  char tail = 0;
  const int n = std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &fields.year, &fields.month,
                            &fields.day, &fields.hour, &fields.minute, &fields.second, &tail);
  return n == 6 && morvane::IsValidDateTime(fields);
}

// The folder of this executable, as it was started (a symlink to it counts as its own place).
fs::path ExecutableFolder(const std::string& argv0) {
  std::error_code ec;
  if (argv0.find('/') != std::string::npos) {
    return fs::absolute(argv0, ec).lexically_normal().parent_path();
  }
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::current_path() : self.parent_path();
}

class SimMachine final : public morvane::ScriptMachine {
 public:
  explicit SimMachine(morvane::SimPlatform& sim) : sim_(sim) {}

  std::vector<Command> Commands() override {
    std::vector<Command> commands;
    for (const morvane::SimCommand& c : sim_.Commands())
      commands.push_back({c.command_line, c.show});
    return commands;
  }
  std::vector<morvane::ProcessEntry> RunningPrograms() override {
    std::vector<morvane::ProcessEntry> running;
    for (const morvane::SimProcess& p : sim_.RunningProcesses()) {
      running.push_back({p.pid, p.exe_name});
    }
    return running;
  }
  void QueueDialogAnswer(std::optional<std::string> path) override {
    sim_.QueueDialogAnswer(std::move(path));
  }

 private:
  morvane::SimPlatform& sim_;
};

#if !defined(_WIN32)
class PosixMachine final : public morvane::ScriptMachine {
 public:
  // `native` is the window system attached to the platform, or null.
  PosixMachine(morvane::PosixPlatform& posix, morvane::NativeWindowSystem* native)
      : posix_(posix), native_(native) {}

  std::vector<Command> Commands() override {
    std::vector<Command> commands;
    for (const morvane::StartedCommand& c : posix_.children().Started()) {
      commands.push_back({c.command_line, c.show});
    }
    return commands;
  }
  std::vector<morvane::ProcessEntry> RunningPrograms() override {
    posix_.children().Reap();
    std::vector<morvane::ProcessEntry> running;
    for (const morvane::ChildProcess& c : posix_.children().Running()) {
      running.push_back({static_cast<uint32_t>(c.pid), c.exe_name});
    }
    return running;
  }
  void QueueDialogAnswer(std::optional<std::string> path) override {
    posix_.dialogs().QueueAnswer(std::move(path));
  }
  std::optional<morvane::Rect> WindowPlace(morvane::WindowHandle window) override {
    return native_ != nullptr ? native_->WindowPlace(window) : std::nullopt;
  }

 private:
  morvane::PosixPlatform& posix_;
  morvane::NativeWindowSystem* native_;
};
#endif

// Starts the tool, runs the script line by line and closes the window; the exit status.
int RunScript(morvane::App& app, morvane::ScriptRunner& runner, const std::string& script,
              const std::string& script_path) {
  app.Start();
  std::istringstream lines(script);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    std::string error;
    if (!runner.RunLine(line, error)) {
      std::cout.flush();
      std::cerr << script_path << ":" << number << ": error: " << error << "\n";
      app.Close();
      return 2;
    }
  }
  app.Close();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace morvane;
  bool simulate = false;
  SimOptions options;
  std::string script_path = "-";
  std::string run_directory_name = options.run_directory;
  std::string devices_path;
  std::string simulation_option;  // the first option given that only the simulation knows
  fs::path child_output;
  fs::path folder = ExecutableFolder(argv[0]);

  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (arg == "--simulate") {
      simulate = true;
    } else if (arg == "--dir" || arg == "--clock" || arg == "--run-directory-name" ||
               arg == "--preview-delay" || arg == "--devices" || arg == "--child-output") {
      const char* v = value();
      if (v == nullptr) return Usage(arg + " needs a value");
      if (arg != "--dir" && arg != "--child-output" && simulation_option.empty()) {
        simulation_option = arg;
      }
      if (arg == "--dir") {
        folder = fs::absolute(v).lexically_normal();
      } else if (arg == "--child-output") {
        child_output = fs::absolute(v).lexically_normal();
      } else if (arg == "--clock") {
        if (!ParseClockOption(v, options.start_time)) return Usage("bad --clock value");
      } else if (arg == "--run-directory-name") {
        run_directory_name = v;
      } else if (arg == "--preview-delay") {
        char* end = nullptr;
        const double seconds = std::strtod(v, &end);
        if (*end != '\0' || !(seconds >= 0)) return Usage("bad --preview-delay value");
        options.preview_window_delay_ms = static_cast<int>(std::llround(seconds * 1000));
      } else {
        devices_path = v;
      }
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      return Usage("unknown option " + arg);
    } else {
      script_path = arg;
    }
  }
  if (!simulate && !simulation_option.empty()) {
    return Usage(simulation_option + " needs --simulate");
  }
  if (simulate && !child_output.empty()) return Usage("--child-output needs the real platform");

  std::string script;
  if (script_path == "-") {
    std::ostringstream text;
    text << std::cin.rdbuf();
    script = text.str();
  } else if (std::optional<std::string> text = ReadHostFile(script_path)) {
    script = *text;
  } else {
    return Usage("cannot read " + script_path);
  }

  if (!simulate) {
#if defined(_WIN32)
    return Usage("the real platform is not in this build; pass --simulate");
#else
    if (!child_output.empty()) {
      std::error_code ec;
      fs::create_directories(child_output, ec);
      if (!fs::is_directory(child_output, ec)) {
        return Usage("cannot create " + child_output.string());
      }
    }
    PosixOptions posix_options;
    posix_options.child_output = child_output;
    PosixPlatform posix(posix_options);
    // With a display, the other programs' windows (the preview's above all) are listed too; the
    // window takes its screen area from there, so this comes before the App.
    std::unique_ptr<NativeWindowSystem> native = OpenNativeWindowSystem(posix.encoding());
    if (native) posix.windows().SetForeignWindows(native.get());
    // The tool's folder in the core's form, without a trailing separator.
    std::string host_folder = folder.string();
    while (host_folder.size() > 1 && host_folder.back() == '/') host_folder.pop_back();
    std::optional<std::string> run_directory = FromHostPath(posix.encoding(), host_folder);
    if (!run_directory) return Usage("the tool's folder has no GBK form");
    App app(posix.platform(), *run_directory);
    PosixMachine machine(posix, native.get());
    ScriptRunner runner(app, machine, nullptr, posix.encoding(), std::cout);
    return RunScript(app, runner, script, script_path);
#endif
  }

  std::unique_ptr<Encoding> encoding = MakeSystemEncoding();
  std::optional<std::string> run_directory = Utf8ToGbk(*encoding, run_directory_name);
  if (!run_directory) return Usage("the run directory name has no GBK form");
  options.run_directory = *run_directory;
  options.root = folder;

  SimPlatform sim(options, *encoding);
  if (!devices_path.empty()) {
    std::optional<std::string> listing = ReadHostFile(devices_path);
    if (!listing) return Usage("cannot read " + devices_path);
    sim.SetDeviceListing(*listing);
  }

  App app(sim.platform(), sim.RunDirectory());
  SimMachine machine(sim);
  ScriptRunner runner(app, machine, &sim, *encoding, std::cout);
  return RunScript(app, runner, script, script_path);
}
