#include "platform/ini_profiles.h"

#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "first_save_file.h"

namespace morvane {
namespace {

// ---- Reading ----

struct GetCase {
  const char* name;
  std::string content;
  std::string section;
  std::string key;
  std::string expected;
};

void PrintTo(const GetCase& c, std::ostream* os) { *os << c.name; }

class IniGetTest : public testing::TestWithParam<GetCase> {};

TEST_P(IniGetTest, ReadsValue) {
  const GetCase& c = GetParam();
  EXPECT_EQ(IniGetValue(c.content, c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lookup, IniGetTest,
    testing::Values(
        GetCase{"CrLf", "[s]\r\na=1\r\nb=2\r\n", "s", "b", "2"},
        GetCase{"LfOnly", "[s]\na=1\nb=2\n", "s", "b", "2"},
        GetCase{"LastLineUnterminated", "[s]\r\na=1\r\nb=2", "s", "b", "2"},
        GetCase{"SecondSection", "[s]\r\na=1\r\n[t]\r\na=3\r\n", "t", "a", "3"},
        GetCase{"EmptyValue", "[s]\r\na=\r\n", "s", "a", ""},
        GetCase{"EqualsInValue", "[s]\r\na=x=y==z\r\n", "s", "a", "x=y==z"},
        GetCase{"Markers", "[s]\r\na=1<|>0<||>-1<|>#引号q\r\n", "s", "a", "1<|>0<||>-1<|>#引号q"},
        GetCase{"FirstKeyWins", "[s]\r\na=1\r\na=2\r\n", "s", "a", "1"},
        GetCase{"FirstSectionWins", "[s]\r\na=1\r\n[s]\r\na=2\r\n", "s", "a", "1"},
        GetCase{"OnlyFirstSectionSearched", "[s]\r\nb=1\r\n[s]\r\na=2\r\n", "s", "a", ""},
        GetCase{"BlankLinesInside", "[s]\r\n\r\n  \r\na=1\r\n", "s", "a", "1"},
        GetCase{"HeaderTrailingText", "[s] ; note\r\na=1\r\n", "s", "a", "1"},
        GetCase{"Gbk", "[编辑框]\r\n编辑框录制时长=60\r\n", "编辑框", "编辑框录制时长", "60"}),
    [](const testing::TestParamInfo<GetCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Missing, IniGetTest,
    testing::Values(GetCase{"EmptyContent", "", "s", "a", ""},
                    GetCase{"NoSection", "[t]\r\na=1\r\n", "s", "a", ""},
                    GetCase{"NoKey", "[s]\r\nb=1\r\n", "s", "a", ""},
                    GetCase{"KeyInOtherSection", "[s]\r\nb=1\r\n[t]\r\na=1\r\n", "s", "a", ""},
                    GetCase{"KeyBeforeAnySection", "a=1\r\n[s]\r\nb=1\r\n", "s", "a", ""},
                    GetCase{"LineWithoutEquals", "[s]\r\na\r\n", "s", "a", ""},
                    GetCase{"Comment", "[s]\r\n;a=1\r\n  ;a=2\r\n", "s", "a", ""},
                    GetCase{"CommentIsNoKey", "[s]\r\n;a=1\r\n", "s", ";a", ""},
                    GetCase{"UnclosedHeader", "[s\r\na=1\r\n", "s", "a", ""},
                    GetCase{"KeyPrefixOnly", "[s]\r\nab=1\r\n", "s", "a", ""},
                    GetCase{"SectionPrefixOnly", "[st]\r\na=1\r\n", "s", "a", ""}),
    [](const testing::TestParamInfo<GetCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Case, IniGetTest,
    testing::Values(GetCase{"SectionUpper", "[SECT]\r\nkey=1\r\n", "sect", "key", "1"},
                    GetCase{"KeyMixed", "[s]\r\nKeY=1\r\n", "s", "kEy", "1"},
                    GetCase{"AsciiAfterGbk", "[组合框A]\r\n单选框Rtmp=真\r\n", "组合框a",
                            "单选框rtmp", "真"},
                    // The second byte 0x41 is "A" but belongs to the character; 81 41 and 81 61
                    // are different characters and must not fold into each other.
                    GetCase{"SecondByteDoesNotFold",
                            "[s]\r\n"
                            "\x81"
                            "A=1\r\n",
                            "s",
                            "\x81"
                            "a",
                            ""},
                    GetCase{"SecondByteExact",
                            "[s]\r\n"
                            "\x81"
                            "A=1\r\n",
                            "s",
                            "\x81"
                            "A",
                            "1"},
                    // 81 5D is one character although its second byte is "]".
                    GetCase{"SecondByteBracket",
                            "[\x81]]\r\na=1\r\n"
                            "[\x81]\r\na=2\r\n",
                            "\x81]", "a", "1"}),
    [](const testing::TestParamInfo<GetCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    TrimAndQuotes, IniGetTest,
    testing::Values(GetCase{"BlanksAroundValue", "[s]\r\na=  v w \t\r\n", "s", "a", "v w"},
                    GetCase{"BlanksAroundKey", "[s]\r\n \t a  =1\r\n", "s", "a", "1"},
                    GetCase{"BlanksInHeader", "  [  s\t]  \r\na=1\r\n", "s", "a", "1"},
                    GetCase{"BlanksInQuery", "[s]\r\na=1\r\n", " s ", "\ta ", "1"},
                    GetCase{"DoubleQuotes", "[s]\r\na=\"v\"\r\n", "s", "a", "v"},
                    GetCase{"SingleQuotes", "[s]\r\na=' v '\r\n", "s", "a", " v "},
                    GetCase{"QuotesAfterTrim", "[s]\r\na=  \"v\"  \r\n", "s", "a", "v"},
                    GetCase{"EmptyQuoted", "[s]\r\na=\"\"\r\n", "s", "a", ""},
                    GetCase{"OnePairOnly", "[s]\r\na=''v''\r\n", "s", "a", "'v'"},
                    GetCase{"InnerQuoteKept", "[s]\r\na=\"v\"w\"\r\n", "s", "a", "v\"w"},
                    GetCase{"Mismatched", "[s]\r\na='v\"\r\n", "s", "a", "'v\""},
                    GetCase{"OpeningOnly", "[s]\r\na=\"v\r\n", "s", "a", "\"v"},
                    GetCase{"ClosingOnly", "[s]\r\na=v'\r\n", "s", "a", "v'"},
                    GetCase{"LoneQuote", "[s]\r\na=\"\r\n", "s", "a", "\""},
                    GetCase{"QuotesInside", "[s]\r\na=x\"y\"\r\n", "s", "a", "x\"y\""}),
    [](const testing::TestParamInfo<GetCase>& info) { return std::string(info.param.name); });

std::string Digits(std::size_t n) {
  std::string text;
  for (std::size_t i = 0; i < n; ++i) text += static_cast<char>('0' + i % 10);
  return text;
}

TEST(IniGetValue, CutsLongValuesToTheLimit) {
  struct Case {
    std::size_t length;
    std::size_t expected;
  };
  for (const Case c :
       {Case{10238, 10238}, Case{10239, 10239}, Case{10240, 10239}, Case{20000, 10239}}) {
    const std::string value = Digits(c.length);
    const std::string content = "[s]\r\na=" + value + "\r\nb=1\r\n";
    EXPECT_EQ(IniGetValue(content, "s", "a"), value.substr(0, c.expected)) << c.length;
  }
}

TEST(IniGetValue, CutsByBytesAndAfterDroppingQuotes) {
  // 20000 bytes of "年" (C4 EA): the cut keeps 10239 bytes, half of the last character included.
  std::string value;
  while (value.size() < 20000) value += "年";
  EXPECT_EQ(IniGetValue("[s]\r\na=" + value + "\r\n", "s", "a"), value.substr(0, 10239));
  EXPECT_EQ(IniGetValue("[s]\r\na=\"" + value + "\"\r\n", "s", "a"), value.substr(0, 10239));
}

// ---- Writing ----

struct SetCase {
  const char* name;
  std::string content;
  std::string section;
  std::string key;
  std::string value;
  std::string expected;
};

void PrintTo(const SetCase& c, std::ostream* os) { *os << c.name; }

class IniSetTest : public testing::TestWithParam<SetCase> {};

TEST_P(IniSetTest, WritesValue) {
  const SetCase& c = GetParam();
  EXPECT_EQ(IniSetValue(c.content, c.section, c.key, c.value), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Create, IniSetTest,
    testing::Values(
        SetCase{"EmptyContent", "", "s", "a", "1", "[s]\r\na=1\r\n"},
        SetCase{"EmptyValue", "", "s", "a", "", "[s]\r\na=\r\n"},
        SetCase{"NewSectionAtEnd", "[t]\r\nb=2\r\n", "s", "a", "1", "[t]\r\nb=2\r\n[s]\r\na=1\r\n"},
        SetCase{"NewSectionNoFinalBreak", "[t]\r\nb=2", "s", "a", "1",
                "[t]\r\nb=2\r\n[s]\r\na=1\r\n"},
        SetCase{"NewSectionFinalCr", "[t]\r\nb=2\r", "s", "a", "1", "[t]\r\nb=2\r\n[s]\r\na=1\r\n"},
        SetCase{"NewSectionAfterLfFile", "[t]\nb=2\n", "s", "a", "1", "[t]\nb=2\n[s]\r\na=1\r\n"},
        SetCase{"TrimmedNames", "", " s\t", " a ", " v ", "[s]\r\na= v \r\n"}),
    [](const testing::TestParamInfo<SetCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Append, IniSetTest,
    testing::Values(
        SetCase{"AfterLastKey", "[s]\r\na=1\r\n", "s", "b", "2", "[s]\r\na=1\r\nb=2\r\n"},
        SetCase{"HeaderOnly", "[s]\r\n[t]\r\nc=3\r\n", "s", "b", "2",
                "[s]\r\nb=2\r\n[t]\r\nc=3\r\n"},
        SetCase{"HeaderOnlyAtEnd", "[s]", "s", "b", "2", "[s]\r\nb=2\r\n"},
        SetCase{"BeforeNextSection", "[s]\r\na=1\r\n[t]\r\nc=3\r\n", "s", "b", "2",
                "[s]\r\na=1\r\nb=2\r\n[t]\r\nc=3\r\n"},
        SetCase{"BeforeSeparatingBlankLines", "[s]\r\na=1\r\n\r\n  \r\n[t]\r\nc=3\r\n", "s", "b",
                "2", "[s]\r\na=1\r\nb=2\r\n\r\n  \r\n[t]\r\nc=3\r\n"},
        SetCase{"BeforeTrailingBlankLines", "[s]\r\na=1\r\n\r\n", "s", "b", "2",
                "[s]\r\na=1\r\nb=2\r\n\r\n"},
        SetCase{"AfterBlankLineInside", "[s]\r\na=1\r\n\r\nc=3\r\n", "s", "b", "2",
                "[s]\r\na=1\r\n\r\nc=3\r\nb=2\r\n"},
        SetCase{"AfterComment", "[s]\r\na=1\r\n;note\r\n[t]\r\n", "s", "b", "2",
                "[s]\r\na=1\r\n;note\r\nb=2\r\n[t]\r\n"},
        SetCase{"LastLineUnterminated", "[s]\r\na=1", "s", "b", "2", "[s]\r\na=1\r\nb=2\r\n"},
        SetCase{"LfFileGetsCrLfLine", "[s]\na=1\n[t]\n", "s", "b", "2", "[s]\na=1\nb=2\r\n[t]\n"},
        SetCase{"FirstOfDuplicateSections", "[s]\r\na=1\r\n[s]\r\nc=3\r\n", "s", "b", "2",
                "[s]\r\na=1\r\nb=2\r\n[s]\r\nc=3\r\n"},
        SetCase{"LineWithoutEqualsIsNoKey", "[s]\r\nb\r\n", "s", "b", "2", "[s]\r\nb\r\nb=2\r\n"},
        SetCase{"CommentedKeyIsNoKey", "[s]\r\n;b=1\r\n", "s", "b", "2", "[s]\r\n;b=1\r\nb=2\r\n"},
        SetCase{"KeyBeforeSectionsIsNoKey", "b=1\r\n", "s", "b", "2", "b=1\r\n[s]\r\nb=2\r\n"}),
    [](const testing::TestParamInfo<SetCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    InPlace, IniSetTest,
    testing::Values(
        SetCase{"CrLf", "[s]\r\na=1\r\nb=2\r\n", "s", "a", "9", "[s]\r\na=9\r\nb=2\r\n"},
        SetCase{"LfKept", "[s]\na=1\nb=2\n", "s", "a", "9", "[s]\na=9\nb=2\n"},
        SetCase{"NoFinalBreakKept", "[s]\r\na=1", "s", "a", "9", "[s]\r\na=9"},
        SetCase{"ToEmpty", "[s]\r\na=1\r\n", "s", "a", "", "[s]\r\na=\r\n"},
        SetCase{"FromEmpty", "[s]\r\na=\r\n", "s", "a", "long value", "[s]\r\na=long value\r\n"},
        SetCase{"KeySpellingKept", "[S]\r\n  KeY =old value \r\n", "s", "key", "new",
                "[S]\r\n  KeY =new\r\n"},
        SetCase{"FirstOfDuplicateKeys", "[s]\r\na=1\r\na=2\r\n", "s", "a", "9",
                "[s]\r\na=9\r\na=2\r\n"},
        SetCase{"EqualsInOldValue", "[s]\r\na=x=y\r\n", "s", "a", "z", "[s]\r\na=z\r\n"},
        SetCase{"SameKeyInOtherSection", "[t]\r\na=1\r\n[s]\r\na=2\r\n", "s", "a", "9",
                "[t]\r\na=1\r\n[s]\r\na=9\r\n"}),
    [](const testing::TestParamInfo<SetCase>& info) { return std::string(info.param.name); });

TEST(IniSetValue, KeepsEverythingElseByteForByte) {
  const std::string before =
      "; written by hand\n"
      "loose=1\r\n"
      "[其他]\r\n"
      "x = 1 \r\n"
      "\r\n"
      "[编辑框]\n"
      "未知控件=abc\n"
      "编辑框录制时长=60\n"
      "[组合框]\r\n"
      "组合框帧率=1<|>25\r\n"
      "\r\n"
      "[其他2]\r\n"
      "y\r\n";
  const std::string after = IniSetValue(before, "编辑框", "编辑框录制时长", "90");
  EXPECT_EQ(after,
            "; written by hand\n"
            "loose=1\r\n"
            "[其他]\r\n"
            "x = 1 \r\n"
            "\r\n"
            "[编辑框]\n"
            "未知控件=abc\n"
            "编辑框录制时长=90\n"
            "[组合框]\r\n"
            "组合框帧率=1<|>25\r\n"
            "\r\n"
            "[其他2]\r\n"
            "y\r\n");
  EXPECT_EQ(IniSetValue(before, "组合框", "组合框选码率", "0<|>固定码率"),
            "; written by hand\n"
            "loose=1\r\n"
            "[其他]\r\n"
            "x = 1 \r\n"
            "\r\n"
            "[编辑框]\n"
            "未知控件=abc\n"
            "编辑框录制时长=60\n"
            "[组合框]\r\n"
            "组合框帧率=1<|>25\r\n"
            "组合框选码率=0<|>固定码率\r\n"
            "\r\n"
            "[其他2]\r\n"
            "y\r\n");
}

TEST(IniSetValue, ValuesComeBackExactly) {
  const std::vector<std::string> values = {
      "a=b",
      "==",
      "a><br><b",
      "#引号x#引号",
      "上场优先<|>0<||>下场优先<|>1<||>自动<|>-1<||>-1<|>",
      "-1<|>",
      "2024年5月1日8时30分15秒",
      "semi;colon [bracket] ]",
      "x\"y\"",
  };
  for (const std::string& value : values) {
    for (const std::string& start : {std::string(), std::string("[s]\r\na=old\r\n"),
                                     std::string("[s]\r\nb=1\r\n"), std::string("[t]\nb=1")}) {
      const std::string content = IniSetValue(start, "s", "a", value);
      EXPECT_EQ(IniGetValue(content, "s", "a"), value) << value << " over " << start;
      EXPECT_EQ(IniGetValue(IniSetValue(content, "s", "a", value), "s", "a"), value);
    }
  }
}

TEST(IniSetValue, MatchesSectionAndKeyWithoutCase) {
  const std::string content = IniSetValue("[Sect]\r\nKey=1\r\n", "SECT", "key", "2");
  EXPECT_EQ(content, "[Sect]\r\nKey=2\r\n");
  // A second byte that is a letter does not fold: 81 61 is a new key next to 81 41.
  EXPECT_EQ(IniSetValue("[s]\r\n\x81"
                        "A=1\r\n",
                        "s",
                        "\x81"
                        "a",
                        "2"),
            "[s]\r\n\x81"
            "A=1\r\n\x81"
            "a=2\r\n");
}

// The file a first save writes, section by section and key by key, from no file at all.
TEST(IniSetValue, BuildsTheSettingsFileOfAFirstSave) {
  struct Write {
    const char* section;
    const char* key;
    const char* value;
  };
  const Write writes[] = {
      {"编辑框", "编辑框录制时长", "60"},
      {"编辑框", "编辑框定时录制", "2024年5月1日8时30分15秒"},
      {"编辑框", "编辑框_断流延时", "5"},
      {"编辑框", "编辑框_推流地址", ""},
      {"组合框", "组合框反交错场", "上场优先<|>0<||>下场优先<|>1<||>自动<|>-1<||>-1<|>"},
      {"组合框", "组合框码率值2",
       "1000k<|>0<||>2000k<|>0<||>3000k<|>0<||>4000k<|>0<||>5000k<|>0<||>6000k<|>0<||>7000k<|>0<|"
       "|>8000k<|>0<||>9000k<|>0<||>10000k<|>0<||>15000k<|>0<||>20000k<|>0<||>3<|>4000k"},
      {"组合框", "组合框码率值1",
       "1000k<|>0<||>2000k<|>0<||>3000k<|>0<||>4000k<|>0<||>5000k<|>0<||>6000k<|>0<||>7000k<|>0<|"
       "|>8000k<|>0<||>9000k<|>0<||>10000k<|>0<||>15000k<|>0<||>20000k<|>0<||>2<|>3000k"},
      {"组合框", "组合框选码率", "固定码率<|>0<||>波动码率<|>0<||>0<|>固定码率"},
      {"组合框", "组合框帧率", "15<|>15<||>25<|>25<||>30<|>30<||>50<|>50<||>60<|>60<||>1<|>25"},
      {"组合框", "组合框2音频设备", "-1<|>"},
      {"组合框", "组合框1视频设备", "-1<|>"},
      {"单选框", "单选框设备", "真"},
      {"单选框", "单选框rtmp", "假"},
      {"选择框", "选择框1录制时长", "假"},
      {"选择框", "选择框_定时录制", "假"},
      {"选择框", "选择框反交错", "假"},
  };
  const std::string expected(kFirstSaveFile);

  std::string content;
  for (const Write& w : writes) content = IniSetValue(content, w.section, w.key, w.value);
  EXPECT_EQ(content, expected);

  // Saving the same state again changes nothing, and every value reads back as written.
  std::string again = content;
  for (const Write& w : writes) again = IniSetValue(again, w.section, w.key, w.value);
  EXPECT_EQ(again, expected);
  for (const Write& w : writes) EXPECT_EQ(IniGetValue(content, w.section, w.key), w.value) << w.key;
}

// ---- IniProfileFiles over Files ----

class MemoryFiles : public Files {
 public:
  std::map<std::string, std::string, std::less<>> files;
  std::set<std::string, std::less<>> unreadable;  // there, but ReadFile fails
  bool writes_fail = false;
  int write_calls = 0;

  bool Exists(std::string_view path) override {
    return files.contains(path) || unreadable.contains(path);
  }
  std::optional<std::string> ReadFile(std::string_view path) override {
    if (unreadable.contains(path)) return std::nullopt;
    const auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    return it->second;
  }
  bool WriteFile(std::string_view path, std::string_view bytes) override {
    ++write_calls;
    if (writes_fail) return false;
    files[std::string(path)] = std::string(bytes);
    return true;
  }
  std::string CurrentDirectory() override { return "C:\\morvane"; }
  bool SetCurrentDirectory(std::string_view) override { return false; }
};

constexpr std::string_view kConf = "C:\\morvane\\conf.ini";

TEST(IniProfileFiles, CreatesTheFileAndReadsBack) {
  MemoryFiles files;
  IniProfileFiles profiles(files);
  EXPECT_EQ(profiles.GetProfileString("单选框", "单选框设备", kConf), "");
  profiles.WriteProfileString("单选框", "单选框设备", "真", kConf);
  profiles.WriteProfileString("单选框", "单选框rtmp", "假", kConf);
  profiles.WriteProfileString("选择框", "选择框反交错", "假", kConf);
  profiles.WriteProfileString("单选框", "单选框设备", "假", kConf);
  EXPECT_EQ(files.files.at(std::string(kConf)),
            "[单选框]\r\n单选框设备=假\r\n单选框rtmp=假\r\n[选择框]\r\n选择框反交错=假\r\n");
  EXPECT_EQ(profiles.GetProfileString("单选框", "单选框设备", kConf), "假");
  EXPECT_EQ(profiles.GetProfileString("单选框", "单选框rtmp", kConf), "假");
  EXPECT_EQ(profiles.GetProfileString("单选框", "单选框设备", "C:\\morvane\\last.ini"), "");
  EXPECT_EQ(files.files.size(), 1u);
}

TEST(IniProfileFiles, ReadsAnExistingLfFile) {
  MemoryFiles files;
  files.files[std::string(kConf)] = "[编辑框]\n编辑框_断流延时 = \"7\" \n";
  IniProfileFiles profiles(files);
  EXPECT_EQ(profiles.GetProfileString("编辑框", "编辑框_断流延时", kConf), "7");
  EXPECT_EQ(profiles.GetProfileString("编辑框", "编辑框录制时长", kConf), "");
}

TEST(IniProfileFiles, FailedWritePassesSilentlyAndKeepsTheOldFile) {
  MemoryFiles files;
  files.files[std::string(kConf)] = "[单选框]\r\n单选框设备=真\r\n";
  files.writes_fail = true;
  IniProfileFiles profiles(files);
  EXPECT_NO_THROW(profiles.WriteProfileString("单选框", "单选框设备", "假", kConf));
  EXPECT_NO_THROW(profiles.WriteProfileString("单选框", "单选框设备", "假", "C:\\ro\\new.ini"));
  EXPECT_EQ(files.write_calls, 2);
  EXPECT_EQ(files.files.size(), 1u);
  EXPECT_EQ(files.files.at(std::string(kConf)), "[单选框]\r\n单选框设备=真\r\n");
  EXPECT_EQ(profiles.GetProfileString("单选框", "单选框设备", kConf), "真");
}

TEST(IniProfileFiles, LeavesAnUnreadableFileAlone) {
  MemoryFiles files;
  files.unreadable.insert(std::string(kConf));
  IniProfileFiles profiles(files);
  EXPECT_NO_THROW(profiles.WriteProfileString("单选框", "单选框设备", "真", kConf));
  EXPECT_EQ(files.write_calls, 0);
  EXPECT_EQ(profiles.GetProfileString("单选框", "单选框设备", kConf), "");
}

}  // namespace
}  // namespace morvane
