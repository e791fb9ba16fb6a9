// morvane-headless: the tool without a window on screen, driven by a script.
//
//   morvane-headless --simulate [--dir DIR] [--clock "YYYY-MM-DD HH:MM:SS"]
//                    [--run-directory-name PATH] [--preview-delay SECONDS] [--devices FILE]
//                    [SCRIPT | -]
//
// It starts the tool (process start and start-up), runs the script, and closes the window at the
// end unless the script did. The language is described in docs/headless.md.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "app/app.h"
#include "platform/host_files.h"
#include "platform/sim/sim_platform.h"
#include "ui/headless/script.h"

namespace {

int Usage(const std::string& problem) {
  std::cerr << "morvane-headless: " << problem << "\n"
            << "usage: morvane-headless --simulate [--dir DIR] [--clock \"YYYY-MM-DD HH:MM:SS\"]\n"
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

}  // namespace

int main(int argc, char** argv) {
  using namespace morvane;
  bool simulate = false;
  SimOptions options;
  std::string script_path = "-";
  std::string run_directory_name = options.run_directory;
  std::string devices_path;
  const std::string self = argv[0];
  options.root = self.find('/') == std::string::npos
                     ? std::filesystem::current_path()
                     : std::filesystem::absolute(self).parent_path();

  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (arg == "--simulate") {
      simulate = true;
    } else if (arg == "--dir" || arg == "--clock" || arg == "--run-directory-name" ||
               arg == "--preview-delay" || arg == "--devices") {
      const char* v = value();
      if (v == nullptr) return Usage(arg + " needs a value");
      if (arg == "--dir") {
        options.root = std::filesystem::absolute(v);
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
  if (!simulate) {
    return Usage("only the simulated platform is available in this build; pass --simulate");
  }

  std::unique_ptr<Encoding> encoding = MakeSystemEncoding();
  std::optional<std::string> run_directory = Utf8ToGbk(*encoding, run_directory_name);
  if (!run_directory) return Usage("the run directory name has no GBK form");
  options.run_directory = *run_directory;

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

  SimPlatform sim(options, *encoding);
  if (!devices_path.empty()) {
    std::optional<std::string> listing = ReadHostFile(devices_path);
    if (!listing) return Usage("cannot read " + devices_path);
    sim.SetDeviceListing(*listing);
  }

  App app(sim.platform(), sim.RunDirectory());
  app.Start();
  ScriptRunner runner(app, &sim, *encoding, std::cout);
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
