#include "platform/capture_command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace morvane {
namespace {

constexpr std::u16string_view kNtPrefix = u"cmd.exe /c ";
constexpr std::u16string_view kOtherPrefix = u"command.com /c ";
constexpr std::u16string_view kListDevices = u"ffmpeg -list_devices true -f dshow  -i dummy";

// Whether every unit of `text` from `from` on is zero.
bool AllZeroFrom(std::u16string_view text, std::size_t from) {
  return text.find_first_not_of(u'\0', from) == std::u16string_view::npos;
}

TEST(CaptureCommandLineBufferTest, NtFamilyRunsCmdAndPadsTheSlotTo520Bytes) {
  const std::u16string buffer = CaptureCommandLineBuffer(true, kListDevices);
  ASSERT_TRUE(buffer.starts_with(kNtPrefix));
  EXPECT_EQ((buffer.size() - kNtPrefix.size()) * 2, 520u);
  EXPECT_EQ(buffer.substr(kNtPrefix.size(), kListDevices.size()), kListDevices);
  // The command's terminator, then nothing but zero units.
  EXPECT_TRUE(AllZeroFrom(buffer, kNtPrefix.size() + kListDevices.size()));
  // Read as a C string, the command line is the prefix and the command.
  EXPECT_EQ(std::u16string(buffer.c_str()),
            std::u16string(kNtPrefix) + std::u16string(kListDevices));
}

TEST(CaptureCommandLineBufferTest, OtherFamiliesRunCommandCom) {
  const std::u16string buffer = CaptureCommandLineBuffer(false, kListDevices);
  ASSERT_TRUE(buffer.starts_with(kOtherPrefix));
  EXPECT_EQ((buffer.size() - kOtherPrefix.size()) * 2, 520u);
  EXPECT_EQ(buffer.substr(kOtherPrefix.size(), kListDevices.size()), kListDevices);
  EXPECT_TRUE(AllZeroFrom(buffer, kOtherPrefix.size() + kListDevices.size()));
}

struct SlotCase {
  std::size_t command_units;
  std::size_t units_behind_prefix;  // command, terminator and padding
};

class CaptureCommandLineSlotTest : public ::testing::TestWithParam<SlotCase> {};

TEST_P(CaptureCommandLineSlotTest, CommandIsPassedWholeWithItsTerminator) {
  const SlotCase& c = GetParam();
  // Units that are not ASCII count as one unit each, like any other.
  std::u16string command(c.command_units, u'x');
  if (!command.empty()) command.front() = u'摄';
  const std::u16string buffer = CaptureCommandLineBuffer(true, command);
  ASSERT_EQ(buffer.size(), kNtPrefix.size() + c.units_behind_prefix);
  EXPECT_EQ(buffer.substr(kNtPrefix.size(), command.size()), command);
  EXPECT_EQ(buffer.back(), u'\0');
  EXPECT_TRUE(AllZeroFrom(buffer, kNtPrefix.size() + command.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, CaptureCommandLineSlotTest,
    ::testing::Values(
        // The empty command converts to no units at all: the slot is all padding.
        SlotCase{0, 260}, SlotCase{1, 260}, SlotCase{258, 260},
        // 259 units and the terminator fill the 520 bytes exactly.
        SlotCase{259, 260},
        // Longer commands overflow the slot: no padding, never cut.
        SlotCase{260, 261}, SlotCase{300, 301}, SlotCase{1000, 1001}));

}  // namespace
}  // namespace morvane
