// The script language of the headless driver: one command a line, user actions, waits and prints.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/processes.h"
#include "platform/windows.h"

namespace morvane {

struct App;
class Encoding;
class SimPlatform;

// What the driver asks of the machine it runs on beyond the core's services.
class ScriptMachine {
 public:
  struct Command {
    std::string command_line;  // GBK
    ShowMode show = ShowMode::kNormal;
  };

  virtual ~ScriptMachine() = default;
  // Every command line the tool started in this run, in order.
  virtual std::vector<Command> Commands() = 0;
  // The programs the tool started that still run.
  virtual std::vector<ProcessEntry> RunningPrograms() = 0;
  // The answer to the next file dialog (a GBK path); nullopt: the user cancels.
  virtual void QueueDialogAnswer(std::optional<std::string> path) = 0;
  // A window's outer rectangle on the screen, when the machine knows it.
  virtual std::optional<Rect> WindowPlace(WindowHandle) { return std::nullopt; }
};

class ScriptRunner {
 public:
  // `sim` is null on the real platform, where the simulation commands are refused.
  ScriptRunner(App& app, ScriptMachine& machine, SimPlatform* sim, Encoding& encoding,
               std::ostream& out);

  // Runs one line (UTF-8); false with `error` set when the line is no valid command.
  bool RunLine(std::string_view line, std::string& error);

 private:
  bool RunCommand(std::string_view command, std::string_view rest, std::string& error);
  bool Print(std::string_view what, std::string& error);
  std::string Quote(std::string_view gbk);
  // The shared text of that name (RecorderPath, DurationArg, SearchTitle, ...), or null.
  const std::string* SharedText(std::string_view name) const;
  std::string Utf8(std::string_view gbk);

  App& app_;
  ScriptMachine& machine_;
  SimPlatform* sim_;
  Encoding& encoding_;
  std::ostream& out_;
};

// Decodes the C escapes \r \n \t \\ \" of a script text; false on any other escape.
bool DecodeEscapes(std::string_view text, std::string& decoded);

}  // namespace morvane
