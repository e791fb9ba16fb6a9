// A started tool on the simulated machine, in a fresh folder of its own.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/app.h"
#include "platform/encoding.h"
#include "platform/sim/sim_platform.h"

namespace morvane {

class AppFixture : public ::testing::Test {
 protected:
  // The folder behind RunDirectory ("D:\Capture"), holding ffmpeg.exe and ffplay.exe unless a
  // test removes them before Start().
  static std::filesystem::path FreshFolder() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "morvane-tests" /
                                   (std::string(info->test_suite_name()) + "." + info->name());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
  }

  static SimOptions Options(const std::filesystem::path& root) {
    SimOptions options;
    options.root = root;
    return options;
  }

  void PutFile(const std::filesystem::path& relative, const std::string& bytes = "") {
    std::filesystem::create_directories((root_ / relative).parent_path());
    std::ofstream(root_ / relative, std::ios::binary) << bytes;
  }

  void Start() {
    app_.Start();
    started_ = true;
  }

  void SetUp() override {
    PutFile("ffmpeg.exe");
    PutFile("ffplay.exe");
  }

  std::filesystem::path root_ = FreshFolder();
  std::unique_ptr<Encoding> encoding_ = MakeSystemEncoding();
  SimPlatform sim_{Options(root_), *encoding_};
  App app_{sim_.platform(), sim_.RunDirectory()};
  WindowModel& w_ = app_.window;
  bool started_ = false;
};

}  // namespace morvane
