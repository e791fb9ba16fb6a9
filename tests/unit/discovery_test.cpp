#include "devices/discovery.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/app.h"
#include "app_fixture.h"
#include "platform/host_files.h"

namespace morvane {
namespace {

using enum Ctl;

// Counts the event passes it is asked for and hands each on to `inner`, if any.
class CountingPump final : public EventPump {
 public:
  explicit CountingPump(EventPump* inner = nullptr) : inner_(inner) {}
  void SetTimerSource(TimerSource* timers) override {
    if (inner_ != nullptr) inner_->SetTimerSource(timers);
  }
  void ProcessEvents() override {
    ++process_events;
    if (inner_ != nullptr) inner_->ProcessEvents();
  }
  void DelayWithEvents(int ms) override {
    if (inner_ != nullptr) inner_->DelayWithEvents(ms);
  }
  void Sleep(int ms) override {
    if (inner_ != nullptr) inner_->Sleep(ms);
  }

  int process_events = 0;

 private:
  EventPump* inner_;
};

// Records every captured command and answers with the simulated machine's listing.
class RecordingProcesses final : public Processes {
 public:
  explicit RecordingProcesses(Processes& inner) : inner_(inner) {}
  bool RunProgram(std::string_view command_line, ShowMode show) override {
    return inner_.RunProgram(command_line, show);
  }
  std::vector<ProcessEntry> ListProcesses() override { return inner_.ListProcesses(); }
  bool TerminateProcess(uint32_t pid) override { return inner_.TerminateProcess(pid); }
  std::string CaptureConsoleOutput(std::string_view command) override {
    commands.emplace_back(command);
    return inner_.CaptureConsoleOutput(command);
  }

  std::vector<std::string> commands;

 private:
  Processes& inner_;
};

// A device listing, as the recorder writes it (UTF-8), from tests/fixtures/devices.
std::string Listing(std::string_view name) {
  const std::filesystem::path folder =
      std::filesystem::path(__FILE__).parent_path().parent_path() / "fixtures" / "devices";
  std::optional<std::string> bytes = ReadHostFile(folder / std::string(name));
  EXPECT_TRUE(bytes.has_value()) << "missing fixture " << name;
  return bytes.value_or("");
}

// The tool on the simulated machine, with its event passes counted and its captures recorded.
// Start-up is not run, so discovery runs once, when the test calls it.
class DiscoverCaptureDevicesTest : public AppFixture {
 protected:
  // Discovery over `listing`, with one item already in each device list.
  void Discover(std::string listing) {
    sim_.SetDeviceListing(std::move(listing));
    app.window.AddItem(组合框1视频设备, "\"Old Camera\"", 7);
    app.window.AddItem(组合框2音频设备, "\"Old Microphone\"", 8);
    log_before_ = Log();
    DiscoverCaptureDevices(app);
  }
  const std::string& Log() const { return app.window.Text(编辑框1日志); }
  // What discovery appended to the log.
  std::string Appended() const { return Log().substr(log_before_.size()); }

  // The items that discovery added behind the one the list had before, which must still be first:
  // the lists are not cleared.
  std::vector<std::string> NewItems(Ctl c) const {
    const WindowModel& w = app.window;
    EXPECT_EQ(w.ItemText(c, 0), c == 组合框1视频设备 ? "\"Old Camera\"" : "\"Old Microphone\"");
    EXPECT_EQ(w.ItemValue(c, 0), c == 组合框1视频设备 ? 7 : 8);
    std::vector<std::string> items;
    for (int i = 1; i < w.ItemCount(c); ++i) {
      items.emplace_back(w.ItemText(c, i));
      EXPECT_EQ(w.ItemValue(c, i), 0) << "item " << i;
    }
    return items;
  }

  CountingPump pump_{&sim_};
  RecordingProcesses processes_{sim_};
  Platform platform_{sim_, *encoding_, sim_,  processes_,
                     sim_, sim_,       pump_, sim_.platform().profiles};
  App app{platform_, sim_.RunDirectory()};
  std::string log_before_;
};

struct DiscoveryCase {
  const char* fixture;
  std::string log;  // what discovery appends to the log
  std::vector<std::string> video;
  std::vector<std::string> audio;
};

void PrintTo(const DiscoveryCase& c, std::ostream* os) { *os << c.fixture; }

class DiscoveryListingTest : public DiscoverCaptureDevicesTest,
                             public ::testing::WithParamInterface<DiscoveryCase> {};

TEST_P(DiscoveryListingTest, LogsAndSortsTheEntries) {
  const DiscoveryCase& c = GetParam();
  Discover(Listing(c.fixture));

  EXPECT_TRUE(Log().starts_with(log_before_));
  EXPECT_EQ(Appended(), c.log);
  EXPECT_EQ(NewItems(组合框1视频设备), c.video);
  EXPECT_EQ(NewItems(组合框2音频设备), c.audio);
  EXPECT_EQ(app.LogCounter, 0);
  // Three event passes for every entry found.
  EXPECT_EQ(pump_.process_events, 3 * static_cast<int>(c.video.size() + c.audio.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, DiscoveryListingTest,
    ::testing::Values(
        // The first "]" at or after byte 1000 opens a device line: `] "` starts every entry, and
        // the alternative-name lines and type words play no part. Only "Audio" and "Sound", in
        // that case, make an audio device.
        DiscoveryCase{"one_per_line.txt",
                      "\r\n总共发现6个音视频设备:"
                      "\r\n\"Integrated Webcam\""
                      "\r\n\"USB Audio Camera\""
                      "\r\n\"Microphone (Realtek(R) Audio)\""
                      "\r\n\"Microphone Array (Intel Smart Mic)\""
                      "\r\n\"麦克风 (USB Sound Card)\""
                      "\r\n\"virtual-audio-capturer\"",
                      {"\"Integrated Webcam\"", "\"Microphone Array (Intel Smart Mic)\"",
                       "\"virtual-audio-capturer\""},
                      {"\"USB Audio Camera\"", "\"Microphone (Realtek(R) Audio)\"",
                       "\"麦克风 (USB Sound Card)\""}},
        // The first "]" at or after byte 1000 opens the video heading: the start marker runs
        // over the heading into the next line and occurs once.
        DiscoveryCase{"headings.txt",
                      "\r\n总共发现1个音视频设备:"
                      "\r\n\"Integrated Webcam\"",
                      {"\"Integrated Webcam\""},
                      {}},
        // The first "]" at or after byte 1000 opens a device line under a heading: `]  "` finds
        // the devices under both headings.
        DiscoveryCase{"headings_device_first.txt",
                      "\r\n总共发现4个音视频设备:"
                      "\r\n\"Integrated Webcam\""
                      "\r\n\"USB Audio Camera\""
                      "\r\n\"Microphone (High Definition Audio Device)\""
                      "\r\n\"线路输入 (Sound Blaster Play! 3)\"",
                      {"\"Integrated Webcam\""},
                      {"\"USB Audio Camera\"", "\"Microphone (High Definition Audio Device)\"",
                       "\"线路输入 (Sound Blaster Play! 3)\""}},
        // The first "]" at or after byte 1000 opens an alternative-name line: the identifiers
        // become the entries, and they hold neither word.
        DiscoveryCase{"alternative_name.txt",
                      "\r\n总共发现3个音视频设备:"
                      "\r\n\"@device_pnp_\\\\?\\usb#vid_1b2c&pid_3d4e&mi_00#7&2a1b3c4d&0&0000#"
                      "{9f1e2d3c-4b5a-6978-8a9b-0c1d2e3f4a5b}\\global\""
                      "\r\n\"@device_cm_{4c3b2a19-0817-4e6d-9c5b-a4f3e2d1c0b9}\\wave_"
                      "{0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d}\""
                      "\r\n\"@device_cm_{4c3b2a19-0817-4e6d-9c5b-a4f3e2d1c0b9}\\wave_"
                      "{3d4e5f6a-7b8c-4d9e-9fa0-2b3c4d5e6f70}\"",
                      {"\"@device_pnp_\\\\?\\usb#vid_1b2c&pid_3d4e&mi_00#7&2a1b3c4d&0&0000#"
                       "{9f1e2d3c-4b5a-6978-8a9b-0c1d2e3f4a5b}\\global\"",
                       "\"@device_cm_{4c3b2a19-0817-4e6d-9c5b-a4f3e2d1c0b9}\\wave_"
                       "{0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d}\"",
                       "\"@device_cm_{4c3b2a19-0817-4e6d-9c5b-a4f3e2d1c0b9}\\wave_"
                       "{3d4e5f6a-7b8c-4d9e-9fa0-2b3c4d5e6f70}\""},
                      {}},
        // Nothing removes duplicates.
        DiscoveryCase{"duplicates.txt",
                      "\r\n总共发现4个音视频设备:"
                      "\r\n\"USB2.0 PC Camera\""
                      "\r\n\"USB2.0 PC Camera\""
                      "\r\n\"Microphone (USB Audio Device)\""
                      "\r\n\"Microphone (USB Audio Device)\"",
                      {"\"USB2.0 PC Camera\"", "\"USB2.0 PC Camera\""},
                      {"\"Microphone (USB Audio Device)\"", "\"Microphone (USB Audio Device)\""}},
        // "®" has no GBK form: the whole listing is dropped.
        DiscoveryCase{"trademark.txt", "\r\n总共发现0个音视频设备:", {}, {}},
        // No "]" can stand at or after byte 1000, and this listing has no `]"`.
        DiscoveryCase{"short.txt", "\r\n总共发现0个音视频设备:", {}, {}},
        DiscoveryCase{"empty.txt", "\r\n总共发现0个音视频设备:", {}, {}}),
    [](const ::testing::TestParamInfo<DiscoveryCase>& info) {
      std::string name = info.param.fixture;
      name.resize(name.find('.'));
      return name;
    });

TEST_F(DiscoverCaptureDevicesTest, AsksTheRecorderByItsBareName) {
  Discover(Listing("one_per_line.txt"));
  EXPECT_EQ(processes_.commands,
            std::vector<std::string>{"ffmpeg -list_devices true -f dshow  -i dummy"});
}

TEST_F(DiscoverCaptureDevicesTest, InvalidUtf8DropsTheWholeListing) {
  std::string listing = Listing("one_per_line.txt");
  const std::size_t name = listing.find("Integrated Webcam");
  ASSERT_NE(name, std::string::npos);
  listing.insert(name, "\xC3\x28");  // a lead byte without its continuation
  Discover(listing);
  EXPECT_EQ(Appended(), "\r\n总共发现0个音视频设备:");
  EXPECT_EQ(app.window.ItemCount(组合框1视频设备), 1);
  EXPECT_EQ(app.window.ItemCount(组合框2音频设备), 1);
  EXPECT_EQ(pump_.process_events, 0);
}

// A listing whose first "]" at or after byte 1000 is directly followed by a quote, has no quote
// behind it, or that has no "]" there at all: the start marker is `]"`, and only that exact pair
// starts an entry.
TEST_F(DiscoverCaptureDevicesTest, WithoutANameTheMarkerIsABracketAndAQuote) {
  const std::string lines = "[x]\"Bare Audio\" (audio)\n[x] \"Spaced\" (video)\n]\"Second\"\n";
  const std::string padding(1000, '-');
  Discover(lines);
  EXPECT_EQ(Appended(), "\r\n总共发现2个音视频设备:\r\n\"Bare Audio\"\r\n\"Second\"");
  for (const std::string& listing :
       {padding + lines, lines + padding, lines + padding + "]no quote here"}) {
    sim_.SetDeviceListing(listing);
    log_before_ = Log();
    DiscoverCaptureDevices(app);
    EXPECT_EQ(Appended(), "\r\n总共发现2个音视频设备:\r\n\"Bare Audio\"\r\n\"Second\"")
        << listing.size();
  }
}

TEST_F(DiscoverCaptureDevicesTest, WordTestLooksAtTheEntryOnly) {
  // The type word in parentheses is outside the quotes; other spellings of the words do not
  // count, and neither does a word that only the text behind the quotes completes.
  Discover(std::string(1000, '-') +
           "\n[dshow] \"USB Camera\" (Audio)\n[dshow] \"AUDIO SOUND audio sound\" (video)\n"
           "[dshow] \"Soun\"d (video)\n[dshow] \"SoundCam\" (video)\n");
  EXPECT_EQ(
      NewItems(组合框1视频设备),
      (std::vector<std::string>{"\"USB Camera\"", "\"AUDIO SOUND audio sound\"", "\"Soun\""}));
  EXPECT_EQ(NewItems(组合框2音频设备), std::vector<std::string>{"\"SoundCam\""});
}

// TextBetween: the text between the first left marker at or after `start` and the next right
// marker behind it.
struct BetweenCase {
  std::string text;
  std::string_view left;
  std::string_view right;
  int start;
  bool ignore_case;
  std::string_view expected;
};

class TextBetweenTest : public ::testing::TestWithParam<BetweenCase> {};

TEST_P(TextBetweenTest, CutsBetweenTheMarkers) {
  const BetweenCase& c = GetParam();
  EXPECT_EQ(TextBetween(c.text, c.left, c.right, c.start, c.ignore_case), c.expected)
      << "left \"" << c.left << "\" right \"" << c.right << "\" start " << c.start;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextBetweenTest,
    ::testing::Values(
        BetweenCase{"a[xy]b[z]", "[", "]", 1, false, "xy"},
        BetweenCase{"a[xy]b[z]", "[", "]", 0, false, "xy"},
        BetweenCase{"a[xy]b[z]", "[", "]", -5, false, "xy"},
        BetweenCase{"a[xy]b[z]", "[", "]", 3, false, "z"},
        BetweenCase{"a[xy]b[z]", "[", "]", 9, false, ""},
        BetweenCase{"a[xy]b[z]", "[", "]", 50, false, ""},
        BetweenCase{"a[xy", "[", "]", 1, false, ""}, BetweenCase{"axy]", "[", "]", 1, false, ""},
        BetweenCase{"[]", "[", "]", 1, false, ""}, BetweenCase{"", "[", "]", 1, false, ""},
        // The right marker is searched behind the whole left marker.
        BetweenCase{"abXb", "ab", "b", 1, false, "X"},
        BetweenCase{"<<a>>", "<<", ">>", 1, false, "a"},
        // Multi-byte markers and Chinese text.
        BetweenCase{"设备：\"摄像头\"。", "设备：\"", "\"", 1, false, "摄像头"},
        // Letters of both markers compare exactly unless case is ignored.
        BetweenCase{"NAME=x;", "name=", ";", 1, false, ""},
        BetweenCase{"NAME=x;", "name=", ";", 1, true, "x"},
        BetweenCase{"<a>x</A>", "<a>", "</a>", 1, false, ""},
        BetweenCase{"<a>x</A>", "<a>", "</a>", 1, true, "x"},
        // "\x81]" is one double-byte character: its second byte is never a marker.
        BetweenCase{"\x81]Q]name\"", "]", "\"", 1, false, "name"},
        BetweenCase{"<\x81]x]", "<", "]", 1, false, "\x81]x"},
        // Byte positions count from 1: a "]" at byte 1000 is found from 1000, one at 999 is not.
        BetweenCase{std::string(999, 'x') + "]n\"", "]", "\"", 1000, false, "n"},
        BetweenCase{std::string(998, 'x') + "]n\"", "]", "\"", 1000, false, ""},
        BetweenCase{std::string(998, 'x') + "]n\"]m\"", "]", "\"", 1000, false, "m"},
        // A double-byte character across byte 1000 moves the boundary with it.
        BetweenCase{std::string(998, 'x') + "\x81]]n\"", "]", "\"", 1000, false, "n"}));

// AllTextsBetween: every parameter in its own cases.
struct AllBetweenCase {
  std::string_view what;
  std::string text;
  std::string_view left;
  std::string_view right;
  TextsBetweenOptions options;
  std::vector<std::string> expected;
  int pairs;  // left markers found with a right marker behind them
};

void PrintTo(const AllBetweenCase& c, std::ostream* os) { *os << c.what; }

class TextBetweenAllTextsTest : public ::testing::TestWithParam<AllBetweenCase> {};

TEST_P(TextBetweenAllTextsTest, CollectsEveryText) {
  const AllBetweenCase& c = GetParam();
  CountingPump pump;
  std::vector<std::string> results = {"left over"};

  const int count = AllTextsBetween(pump, c.text, c.left, c.right, results, c.options);

  EXPECT_EQ(results, c.expected);
  EXPECT_EQ(count, static_cast<int>(c.expected.size()));
  EXPECT_EQ(pump.process_events, 3 * c.pairs);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextBetweenAllTextsTest,
    ::testing::Values(
        AllBetweenCase{"plain", "<a><bb><ccc>", "<", ">", {}, {"a", "bb", "ccc"}, 3},
        AllBetweenCase{"empty text", "", "<", ">", {}, {}, 0},
        AllBetweenCase{"no right marker after the last left", "<a><b", "<", ">", {}, {"a"}, 1},
        AllBetweenCase{"empty texts count", "<><x>", "<", ">", {}, {"", "x"}, 2},
        AllBetweenCase{"prefix and suffix",
                       "<a><bb>",
                       "<",
                       ">",
                       {.prefix = "\"", .suffix = "!"},
                       {"\"a!", "\"bb!"},
                       2},
        AllBetweenCase{"with left marker, in front of the prefix",
                       "<a>",
                       "<",
                       ">",
                       {.prefix = "P", .with_left_marker = true},
                       {"<Pa"},
                       1},
        AllBetweenCase{"with right marker, behind the suffix",
                       "<a>",
                       "<",
                       ">",
                       {.suffix = "S", .with_right_marker = true},
                       {"aS>"},
                       1},
        AllBetweenCase{"both markers",
                       "]x\"y\"",
                       "]",
                       "\"",
                       {.prefix = "\"", .with_left_marker = true, .with_right_marker = true},
                       {"]\"x\""},
                       1},
        // Items shorter than the maximum are kept; the length counts prefix, suffix and markers.
        AllBetweenCase{
            "maximum length", "<a><bb><ccc>", "<", ">", {.max_length = 3}, {"a", "bb"}, 3},
        AllBetweenCase{"maximum length with a prefix",
                       "<a><bb><ccc>",
                       "<",
                       ">",
                       {.max_length = 3, .prefix = "\""},
                       {"\"a"},
                       3},
        AllBetweenCase{"maximum length with the right marker",
                       "<a><bb>",
                       "<",
                       ">",
                       {.max_length = 3, .with_right_marker = true},
                       {"a>"},
                       2},
        AllBetweenCase{"start skips what lies before it",
                       "<a><bb><ccc>",
                       "<",
                       ">",
                       {.start = 4},
                       {"bb", "ccc"},
                       2},
        AllBetweenCase{
            "start 1 is the beginning", "<a><bb>", "<", ">", {.start = 1}, {"a", "bb"}, 2},
        AllBetweenCase{"start past the end", "<a><bb>", "<", ">", {.start = 8}, {}, 0},
        AllBetweenCase{"case compared exactly", "AB1;ab2;", "ab", ";", {}, {"2"}, 1},
        AllBetweenCase{"case ignored", "AB1;ab2;", "ab", ";", {.ignore_case = true}, {"1", "2"}, 2},
        AllBetweenCase{"case ignored for the right marker too",
                       "<aXb>",
                       "<",
                       "x",
                       {.ignore_case = true},
                       {"a"},
                       1},
        // The next search starts just behind the left marker, so texts may overlap.
        AllBetweenCase{"overlapping texts", "[a[b]", "[", "]", {}, {"a[b", "b"}, 2},
        AllBetweenCase{
            "left marker equal to the right", "\"a\"b\"c\"", "\"", "\"", {}, {"a", "b", "c"}, 3},
        // "\x81]" is one double-byte character: its second byte is never a marker.
        AllBetweenCase{"second byte is no marker", "\x81]a]b]", "]", "]", {}, {"b"}, 1},
        AllBetweenCase{"second byte inside a text", "<\x81>x>", "<", ">", {}, {"\x81>x"}, 1},
        AllBetweenCase{"the discovery shape",
                       "[t] \"Cam\" (video)\n[t]   Alternative name \"@id\"\n[t] \"Mic\" (audio)\n",
                       "] \"",
                       "\"",
                       {.prefix = "\"", .with_right_marker = true},
                       {"\"Cam\"", "\"Mic\""},
                       2}),
    [](const ::testing::TestParamInfo<AllBetweenCase>& info) {
      return "Case" + std::to_string(info.index);
    });

}  // namespace
}  // namespace morvane
