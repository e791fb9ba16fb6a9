// Our INI engine against the system's private-profile functions, GetPrivateProfileStringA and
// WritePrivateProfileStringA, on the same files.
//
// Reads must agree on every case. Writes must leave the same bytes wherever the system keeps the
// file as our engine promises to (every byte but the value written). On the cases marked
// `system_rewrites` the system's profile code writes the whole file anew in its own form and so
// changes lines that our engine keeps byte for byte; there only the values read back must agree.
// The marks describe Wine, which rewrites the file from its parsed form on every write; what
// Windows does on those cases is not measured here.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/ini_profiles.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_platform.h"
#include "test_support.h"

namespace morvane {
namespace {

std::string SystemRead(const std::string& section, const std::string& key,
                       const std::string& file) {
  std::vector<char> buffer(10240, '\0');
  const DWORD length = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), file.c_str());
  return std::string(buffer.data(), length);
}

void SystemWrite(const std::string& section, const std::string& key, const std::string& value,
                 const std::string& file) {
  ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str());
}

// ---- Reads ----

struct ReadCase {
  const char* what;
  std::optional<std::string> content;  // nullopt: no file
  std::string section;
  std::string key;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.what; }

class IniReadDifferential : public testing::TestWithParam<ReadCase> {
 protected:
  test::ScratchFolder dir_;
  Win32Files files_;
  IniProfileFiles ours_{files_};
};

TEST_P(IniReadDifferential, SameValueAsTheSystem) {
  const ReadCase& c = GetParam();
  const std::string file = dir_ / "read.ini";
  if (c.content) {
    ASSERT_TRUE(test::PutFile(file, *c.content));
  }
  EXPECT_EQ(ours_.GetProfileString(c.section, c.key, file), SystemRead(c.section, c.key, file));
}

const std::string kLongValue(12000, 'v');

INSTANTIATE_TEST_SUITE_P(
    Table, IniReadDifferential,
    testing::Values(ReadCase{"plain", "[s]\r\nk=v\r\n", "s", "k"},
                    ReadCase{"no file", std::nullopt, "s", "k"},
                    ReadCase{"empty file", "", "s", "k"},
                    ReadCase{"missing section", "[s]\r\nk=v\r\n", "t", "k"},
                    ReadCase{"missing key", "[s]\r\nk=v\r\n", "s", "x"},
                    ReadCase{"empty value", "[s]\r\nk=\r\n", "s", "k"},
                    ReadCase{"blanks around", "[ s ]\r\n  k \t=  a b  \r\n", "s", "k"},
                    ReadCase{"caller's blanks", "[s]\r\nk=v\r\n", " s ", " k "},
                    ReadCase{"letter case", "[Sec]\r\nKey=v\r\n", "sEC", "kEY"},
                    ReadCase{"double quotes", "[s]\r\nk=\"a b\"\r\n", "s", "k"},
                    ReadCase{"single quotes", "[s]\r\nk='a b'\r\n", "s", "k"},
                    ReadCase{"quotes inside blanks", "[s]\r\nk=  \" a \"  \r\n", "s", "k"},
                    ReadCase{"mismatched quotes", "[s]\r\nk=\"a'\r\n", "s", "k"},
                    ReadCase{"one quote", "[s]\r\nk=\"\r\n", "s", "k"},
                    ReadCase{"quote only at start", "[s]\r\nk=\"a\r\n", "s", "k"},
                    ReadCase{"equals in value", "[s]\r\nk=a=b\r\n", "s", "k"},
                    ReadCase{"lf line ends", "[s]\nk=v\nj=w\n", "s", "j"},
                    ReadCase{"no final line end", "[s]\r\nk=v", "s", "k"},
                    ReadCase{"first of two keys", "[s]\r\nk=1\r\nk=2\r\n", "s", "k"},
                    ReadCase{"key in a later section", "[a]\r\nk=1\r\n[b]\r\nk=2\r\n", "b", "k"},
                    ReadCase{"text after the bracket", "[s] note\r\nk=v\r\n", "s", "k"},
                    ReadCase{"key before any section", "k=v\r\n[s]\r\n", "s", "k"},
                    ReadCase{"line without equals", "[s]\r\nplain\r\nk=v\r\n", "s", "k"},
                    ReadCase{"blank lines", "\r\n[s]\r\n\r\nk=v\r\n\r\n", "s", "k"},
                    ReadCase{"key with inner blank", "[s]\r\na b=v\r\n", "s", "a b"},
                    ReadCase{"gbk names and value", "[编辑框]\r\n编辑框录制时长=60\r\n", "编辑框",
                             "编辑框录制时长"},
                    ReadCase{"gbk value with marks", "[组合框]\r\n组合框帧率=15<|>15<||>1<|>25\r\n",
                             "组合框", "组合框帧率"},
                    ReadCase{"double-byte name ending in 5D", "[乚]\r\nk=v\r\n", "乚", "k"},
                    ReadCase{"value cut to 10239 bytes", "[s]\r\nk=" + kLongValue + "\r\n", "s",
                             "k"}));

// ---- Writes ----

struct Write {
  std::string section;
  std::string key;
  std::string value;
};

struct WriteCase {
  const char* what;
  std::optional<std::string> content;  // nullopt: no file
  std::vector<Write> writes;
  std::string expected;  // our engine's result
  bool system_rewrites;  // Wine's profile code changes lines that our engine keeps
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.what; }

class IniWriteDifferential : public testing::TestWithParam<WriteCase> {
 protected:
  test::ScratchFolder dir_;
  Win32Files files_;
  IniProfileFiles ours_{files_};
};

TEST_P(IniWriteDifferential, SameFileAsTheSystem) {
  const WriteCase& c = GetParam();
  const std::string mine = dir_ / "ours.ini";
  const std::string system = dir_ / "system.ini";
  if (c.content) {
    ASSERT_TRUE(test::PutFile(mine, *c.content));
    ASSERT_TRUE(test::PutFile(system, *c.content));
  }
  for (const Write& w : c.writes) {
    ours_.WriteProfileString(w.section, w.key, w.value, mine);
    SystemWrite(w.section, w.key, w.value, system);
  }
  EXPECT_EQ(test::FileBytes(mine), c.expected);
  if (!c.system_rewrites) {
    EXPECT_EQ(test::FileBytes(mine), test::FileBytes(system));
  }
  // Either file reads back the same values, through either reader.
  for (const Write& w : c.writes) {
    EXPECT_EQ(SystemRead(w.section, w.key, mine), SystemRead(w.section, w.key, system)) << w.key;
    EXPECT_EQ(ours_.GetProfileString(w.section, w.key, mine),
              ours_.GetProfileString(w.section, w.key, system))
        << w.key;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, IniWriteDifferential,
    testing::Values(
        WriteCase{"new file", std::nullopt, {{"s", "k", "v"}}, "[s]\r\nk=v\r\n", false},
        WriteCase{"empty value", std::nullopt, {{"s", "k", ""}}, "[s]\r\nk=\r\n", false},
        WriteCase{"value replaced in place",
                  "[s]\r\nk=old\r\nj=2\r\n",
                  {{"s", "k", "new"}},
                  "[s]\r\nk=new\r\nj=2\r\n",
                  false},
        WriteCase{"key added to the end of its section",
                  "[a]\r\nx=1\r\n[b]\r\ny=2\r\n",
                  {{"a", "z", "3"}},
                  "[a]\r\nx=1\r\nz=3\r\n[b]\r\ny=2\r\n",
                  false},
        WriteCase{"section added at the end",
                  "[a]\r\nx=1\r\n",
                  {{"b", "y", "2"}},
                  "[a]\r\nx=1\r\n[b]\r\ny=2\r\n",
                  false},
        WriteCase{"key keeps its letter case",
                  "[Sec]\r\nKey=1\r\n",
                  {{"sec", "key", "2"}},
                  "[Sec]\r\nKey=2\r\n",
                  false},
        WriteCase{"gbk section, key and value",
                  std::nullopt,
                  {{"编辑框", "编辑框录制时长", "60"}, {"单选框", "单选框设备", "真"}},
                  "[编辑框]\r\n编辑框录制时长=60\r\n[单选框]\r\n单选框设备=真\r\n",
                  false},
        WriteCase{
            "settings save into a new file",
            std::nullopt,
            {{"编辑框", "编辑框录制时长", "60"},
             {"编辑框", "编辑框定时录制", "2024年5月1日8时30分15秒"},
             {"编辑框", "编辑框_断流延时", "5"},
             {"编辑框", "编辑框_推流地址", ""},
             {"组合框", "组合框帧率", "15<|>15<||>25<|>25<||>1<|>25"},
             {"组合框", "组合框1视频设备", "-1<|>"},
             {"单选框", "单选框设备", "真"},
             {"单选框", "单选框rtmp", "假"},
             {"选择框", "选择框1录制时长", "假"}},
            "[编辑框]\r\n编辑框录制时长=60\r\n编辑框定时录制=2024年5月1日8时30分15秒\r\n"
            "编辑框_断流延时=5\r\n编辑框_推流地址=\r\n[组合框]\r\n"
            "组合框帧率=15<|>15<||>25<|>25<||>1<|>25\r\n组合框1视频设备=-1<|>\r\n"
            "[单选框]\r\n单选框设备=真\r\n单选框rtmp=假\r\n[选择框]\r\n选择框1录制时长=假\r\n",
            false},
        WriteCase{"settings saved again over the same file",
                  "[编辑框]\r\n编辑框录制时长=60\r\n[选择框]\r\n选择框1录制时长=假\r\n",
                  {{"编辑框", "编辑框录制时长", "90"}, {"选择框", "选择框1录制时长", "真"}},
                  "[编辑框]\r\n编辑框录制时长=90\r\n[选择框]\r\n选择框1录制时长=真\r\n",
                  false},
        // Wine: "k=new", without the blanks around "=".
        WriteCase{"blanks around the equals sign",
                  "[s]\r\nk = old\r\n",
                  {{"s", "k", "new"}},
                  "[s]\r\nk =new\r\n",
                  true},
        // Wine: every line ends in CR LF.
        WriteCase{"lf line ends", "[s]\nk=1\n", {{"s", "j", "2"}}, "[s]\nk=1\nj=2\r\n", true},
        // Wine: the blank line between the sections is gone.
        WriteCase{"blank line before the next section",
                  "[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n",
                  {{"a", "z", "3"}},
                  "[a]\r\nx=1\r\nz=3\r\n\r\n[b]\r\ny=2\r\n",
                  true},
        // Wine: "[s]", without the blanks inside the brackets.
        WriteCase{"blanks inside a section header",
                  "[ s ]\r\nk=1\r\n",
                  {{"s", "k", "2"}},
                  "[ s ]\r\nk=2\r\n",
                  true},
        // Wine: "k=v ", without the leading blank; both read back "v".
        WriteCase{"blanks around a written value",
                  std::nullopt,
                  {{"s", "k", " v "}},
                  "[s]\r\nk= v \r\n",
                  true},
        WriteCase{"quotes are written as given",
                  "[s]\r\nk=\"a\"\r\n",
                  {{"s", "k", "\"b\""}},
                  "[s]\r\nk=\"b\"\r\n",
                  false},
        WriteCase{"key before any section kept",
                  "x=1\r\n[s]\r\nk=1\r\n",
                  {{"s", "k", "2"}},
                  "x=1\r\n[s]\r\nk=2\r\n",
                  false},
        WriteCase{"last line without line end",
                  "[s]\r\nk=1",
                  {{"s", "j", "2"}},
                  "[s]\r\nk=1\r\nj=2\r\n",
                  false},
        WriteCase{"comments and other lines kept",
                  "; saved by hand\r\n[s]\r\nnote\r\nk=1\r\n",
                  {{"s", "k", "2"}},
                  "; saved by hand\r\n[s]\r\nnote\r\nk=2\r\n",
                  false}));

}  // namespace
}  // namespace morvane
