#include "settings/settings_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app_fixture.h"
#include "first_save_file.h"
#include "text/numbers.h"

namespace morvane {
namespace {

using enum Ctl;

// Items as "text:value" joined by ",", for readable comparisons.
std::string ItemsOf(const std::vector<ComboItem>& items) {
  std::string out;
  for (const ComboItem& item : items) {
    if (!out.empty()) out += ",";
    out += item.text + ":" + FormatInt(item.value);
  }
  return out;
}

std::string ItemsOf(const WindowModel& w, Ctl c) {
  std::vector<ComboItem> items;
  for (int i = 0; i < w.ItemCount(c); ++i) {
    items.push_back({std::string(w.ItemText(c, i)), w.ItemValue(c, i)});
  }
  return ItemsOf(items);
}

bool TakesPart(Kind kind) {
  return kind == Kind::kEditBox || kind == Kind::kComboBox || kind == Kind::kRadioButton ||
         kind == Kind::kCheckBox;
}

// ---------------------------------------------------------------------------------------------
// Helpers

struct ListCase {
  std::string_view list;
  std::string_view name;
  bool not_in_list;
};

void PrintTo(const ListCase& c, std::ostream* os) {
  *os << ::testing::PrintToString(std::string(c.list)) << " "
      << ::testing::PrintToString(std::string(c.name));
}

class NotInListTest : public ::testing::TestWithParam<ListCase> {};

TEST_P(NotInListTest, SplitsAtEveryBar) {
  EXPECT_EQ(NotInList(GetParam().list, GetParam().name), GetParam().not_in_list);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, NotInListTest,
    ::testing::Values(ListCase{"", "编辑框1日志", true}, ListCase{"", "", true},
                      ListCase{"选择框2预览", "选择框2预览", false},
                      ListCase{"编辑框1日志|编辑框_视频路径", "编辑框1日志", false},
                      ListCase{"编辑框1日志|编辑框_视频路径", "编辑框_视频路径", false},
                      ListCase{"编辑框1日志|编辑框_视频路径", "编辑框_推流地址", true},
                      // Whole entries only, byte for byte, case kept.
                      ListCase{"编辑框1日志|编辑框_视频路径", "编辑框", true},
                      ListCase{"编辑框1日志", "编辑框1日志 ", true}, ListCase{"rtmp", "RTMP", true},
                      // A final "|" leaves no empty entry behind; an inner one does.
                      ListCase{"a|", "", true}, ListCase{"a||b", "", false},
                      ListCase{"a||b", "b", false},
                      // "亅" is 81 7C: its second byte is no separator.
                      ListCase{"亅|b", "亅", false}, ListCase{"亅|b", "\x81", true}));

struct SeparatorCase {
  std::string_view text;
  std::string_view separator;
  std::string_view before_first;
  std::string_view after_last;
};

void PrintTo(const SeparatorCase& c, std::ostream* os) {
  *os << ::testing::PrintToString(std::string(c.text)) << " "
      << ::testing::PrintToString(std::string(c.separator));
}

class SeparatorTest : public ::testing::TestWithParam<SeparatorCase> {};

TEST_P(SeparatorTest, CutsAtTheFirstAndTheLastSeparator) {
  const SeparatorCase& c = GetParam();
  EXPECT_EQ(TextBeforeFirst(c.text, c.separator), c.before_first);
  EXPECT_EQ(TextAfterLast(c.text, c.separator), c.after_last);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SeparatorTest,
    ::testing::Values(SeparatorCase{"上场优先<|>0", "<|>", "上场优先", "0"},
                      SeparatorCase{"a<|>b<|>c", "<|>", "a", "c"},
                      SeparatorCase{"abc", "<|>", "", ""}, SeparatorCase{"", "<|>", "", ""},
                      SeparatorCase{"<|>x", "<|>", "", "x"}, SeparatorCase{"x<|>", "<|>", "x", ""},
                      SeparatorCase{"<|>", "<|>", "", ""},
                      SeparatorCase{"a<||>b", "<||>", "a", "b"},
                      // Double-byte characters: "亅" is 81 7C, "皘" is B0 7C.
                      SeparatorCase{"亅|x|皘", "|", "亅", "皘"}, SeparatorCase{"亅皘", "|", "", ""},
                      SeparatorCase{"abc", "", "", ""}));

// ---------------------------------------------------------------------------------------------
// The combo-box value

struct ParseCase {
  std::string_view name;
  std::string_view stored;
  std::string_view items;
  int32_t selection;
  std::string_view text;
};

class ParseComboValueTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseComboValueTest, GivesItemsSelectionAndText) {
  const ParseCase& c = GetParam();
  const ComboValue combo = ParseComboValue(c.stored);
  EXPECT_EQ(ItemsOf(combo.items), c.items);
  EXPECT_EQ(combo.selection, c.selection);
  EXPECT_EQ(combo.text, c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ParseComboValueTest,
    ::testing::Values(
        ParseCase{"FieldOrder", "上场优先<|>0<||>下场优先<|>1<||>自动<|>-1<||>-1<|>",
                  "上场优先:0,下场优先:1,自动:-1", -1, ""},
        ParseCase{"FrameRate", "15<|>15<||>25<|>25<||>1<|>25", "15:15,25:25", 1, "25"},
        ParseCase{"NoItemsNothingSelected", "-1<|>", "", -1, ""},
        ParseCase{"NoSeparatorAtAll", "abc", "", 0, ""},
        ParseCase{"ElementWithoutValueSeparator", "xyz<||>q<|>4<||>1<|>t", ":0,q:4", 1, "t"},
        ParseCase{"EmptyElementsAreItems", "<||><||>1<|>t", ":0,:0", 1, "t"},
        // Nothing after the last "<||>": the last item element becomes the last element.
        ParseCase{"TrailingSeparator", "a<|>1<||>b<|>2<||>", "a:1", 0, "2"},
        ParseCase{"OnlyASeparator", "<||>", "", 0, ""},
        // Text before the first "<|>", value after the last one.
        ParseCase{"SeveralValueSeparators", "a<|>b<|>7<||>2<|>x<|>y", "a:7", 2, "y"},
        ParseCase{"EscapedQuotes", "#引号q#引号<|>3<||>0<|>#引号q#引号", "\"q\":3", 0, "\"q\""},
        // Whole numbers are read as decimals and truncated toward zero.
        ParseCase{"DecimalNumbers", "n<|>12.9<||>m<|>-3.7<||>1e1<|>t", "n:12,m:-3", 10, "t"},
        ParseCase{"FullWidthDigits", "n<|>４２<||>  ５<|>", "n:42", 5, ""},
        ParseCase{"NumbersThatAreNoNumbers", "n<|>k<||>x<|>", "n:0", 0, ""},
        ParseCase{"ChineseTexts", "固定码率<|>0<||>波动码率<|>0<||>0<|>固定码率",
                  "固定码率:0,波动码率:0", 0, "固定码率"}),
    [](const ::testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

TEST(ComposeComboValue, JoinsItemsSelectionAndTextAndEscapesQuotes) {
  EXPECT_EQ(ComposeComboValue({{{"上场优先", 0}, {"下场优先", 1}, {"自动", -1}}, -1, ""}),
            "上场优先<|>0<||>下场优先<|>1<||>自动<|>-1<||>-1<|>");
  EXPECT_EQ(ComposeComboValue({{}, -1, ""}), "-1<|>");
  EXPECT_EQ(ComposeComboValue({{{"\"Mic \"A\"\"", 0}}, 0, "\"Mic \"A\"\""}),
            "#引号Mic #引号A#引号#引号<|>0<||>0<|>#引号Mic #引号A#引号#引号");
}

TEST(ComposeComboValue, ComesBackThroughParseComboValue) {
  const ComboValue combo{{{"\"USB Camera\"", 0}, {"", -5}, {"x<y>", 2147483647}}, 2, "typed"};
  const ComboValue back = ParseComboValue(ComposeComboValue(combo));
  EXPECT_EQ(ItemsOf(back.items), ItemsOf(combo.items));
  EXPECT_EQ(back.selection, 2);
  EXPECT_EQ(back.text, "typed");
}

// ---------------------------------------------------------------------------------------------
// Files of a started tool

class SettingsFilesTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    Start();
  }

  // The path by which the tool names a file in its folder.
  std::string ToolPath(std::string_view name) const {
    return app_.RunDirectory + "\\" + std::string(name);
  }
  std::string Read(std::string_view name) const {
    std::ifstream in(root_ / std::string(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  bool FileExists(std::string_view name) const {
    return std::filesystem::exists(root_ / std::string(name));
  }

  // Every state a settings file could carry, of every control that takes part.
  std::string Snapshot() const {
    std::string out;
    for (const ControlState& c : w_.Controls()) {
      if (!TakesPart(c.kind)) continue;
      out += std::string(ControlName(c.id)) + " text=" + w_.Text(c.id) +
             " checked=" + FormatInt(c.checked) + " visible=" + FormatInt(c.visible) +
             " enabled=" + FormatInt(c.enabled);
      if (c.kind == Kind::kComboBox) {
        out += " selection=" + FormatInt(c.selection) + " items=" + ItemsOf(w_, c.id);
      }
      out += "\n";
    }
    return out;
  }

  // The file that holds one section with one key.
  void PutValue(std::string_view name, std::string_view section, std::string_view key,
                std::string_view value) {
    PutFile(std::string(name), "[" + std::string(section) + "]\r\n" + std::string(key) + "=" +
                                   std::string(value) + "\r\n");
  }
};

TEST_F(SettingsFilesTest, FirstSaveWritesTheDocumentedFileByteForByte) {
  ASSERT_TRUE(w_.UserClick(单选框rtmp));
  ASSERT_TRUE(w_.UserReplaceText(编辑框_推流地址, ""));
  ASSERT_TRUE(w_.UserClick(单选框设备));
  ASSERT_FALSE(FileExists("fresh.ini"));

  SaveSettingsFile(app_, ToolPath("fresh.ini"));

  EXPECT_EQ(Read("fresh.ini"), kFirstSaveFile);
}

TEST_F(SettingsFilesTest, TheDefaultPullUrlIsStoredWhenLeftAlone) {
  SaveSettingsFile(app_, ToolPath("fresh.ini"));
  EXPECT_NE(Read("fresh.ini").find("\r\n编辑框_推流地址=rtmp://127.0.0.1/lumo/zhibo\r\n"),
            std::string::npos);
}

TEST_F(SettingsFilesTest, SavingAgainReplacesValuesInPlace) {
  SaveSettingsFile(app_, ToolPath("s.ini"));
  w_.SetText(编辑框_断流延时, "9");
  w_.SetChecked(选择框反交错, true);
  SaveSettingsFile(app_, ToolPath("s.ini"));

  std::string expected(kFirstSaveFile);
  expected.replace(expected.find("编辑框_推流地址="), std::string_view("编辑框_推流地址=").size(),
                   "编辑框_推流地址=rtmp://127.0.0.1/lumo/zhibo");
  expected.replace(expected.find("编辑框_断流延时=5"), std::string_view("编辑框_断流延时=5").size(),
                   "编辑框_断流延时=9");
  expected.replace(expected.find("选择框反交错=假"), std::string_view("选择框反交错=假").size(),
                   "选择框反交错=真");
  EXPECT_EQ(Read("s.ini"), expected);
}

TEST_F(SettingsFilesTest, SaveKeepsUnknownKeysAndSections) {
  PutFile("s.ini",
          "; hand-written\r\n[其他]\r\nx=1\r\n[编辑框]\r\n编辑框_断流延时=99\r\n不存在=y\r\n");
  SaveSettingsFile(app_, ToolPath("s.ini"));

  const std::string content = Read("s.ini");
  const std::string combos(kFirstSaveFile.substr(kFirstSaveFile.find("[组合框]")));
  EXPECT_EQ(content,
            "; hand-written\r\n[其他]\r\nx=1\r\n[编辑框]\r\n编辑框_断流延时=5\r\n不存在=y\r\n"
            "编辑框录制时长=60\r\n编辑框定时录制=2024年5月1日8时30分15秒\r\n"
            "编辑框_推流地址=rtmp://127.0.0.1/lumo/zhibo\r\n" +
                combos);

  // Loading it ignores what belongs to no control.
  w_.SetText(编辑框_断流延时, "7");
  const std::string before = Snapshot();
  LoadSettingsFile(app_, ToolPath("s.ini"));
  EXPECT_EQ(w_.Text(编辑框_断流延时), "5");
  w_.SetText(编辑框_断流延时, "7");
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(Read("s.ini"), content);
}

TEST_F(SettingsFilesTest, ExcludedControlsAreNeverWritten) {
  w_.SetText(编辑框1日志, "a log");
  w_.SetText(编辑框_视频路径, "E:\\show.mp4");
  w_.SetChecked(选择框2预览, true);
  SaveSettingsFile(app_, ToolPath("s.ini"));

  const std::string content = Read("s.ini");
  EXPECT_EQ(content.find("编辑框1日志"), std::string::npos);
  EXPECT_EQ(content.find("编辑框_视频路径"), std::string::npos);
  EXPECT_EQ(content.find("选择框2预览"), std::string::npos);
}

TEST_F(SettingsFilesTest, EachKindSkipsOnlyItsOwnExclusions) {
  SaveEditBoxes(app_, ToolPath("e.ini"), "编辑框录制时长|编辑框定时录制|编辑框_断流延时|");
  EXPECT_EQ(Read("e.ini"),
            "[编辑框]\r\n编辑框_视频路径=默认时间文件名\r\n"
            "编辑框_推流地址=rtmp://127.0.0.1/lumo/zhibo\r\n"
            "编辑框1日志=********运行日志*******><br><><br><1.2024年5月1日8时30分15秒><br><"
            "总共发现0个音视频设备:\r\n");
  SaveComboBoxes(app_, ToolPath("c.ini"), "组合框码率值2|组合框码率值1|组合框选码率|组合框帧率");
  EXPECT_EQ(Read("c.ini"),
            "[组合框]\r\n组合框反交错场=上场优先<|>0<||>下场优先<|>1<||>自动<|>-1<||>-1<|>\r\n"
            "组合框2音频设备=-1<|>\r\n组合框1视频设备=-1<|>\r\n");
  SaveRadioButtons(app_, ToolPath("r.ini"), "单选框设备");
  EXPECT_EQ(Read("r.ini"), "[单选框]\r\n单选框rtmp=假\r\n");
  SaveCheckBoxes(app_, ToolPath("k.ini"), "");
  EXPECT_EQ(Read("k.ini"),
            "[选择框]\r\n选择框1录制时长=假\r\n选择框_定时录制=假\r\n选择框2预览=假\r\n"
            "选择框反交错=假\r\n");
}

TEST_F(SettingsFilesTest, ExcludedControlsAreLoadedWhenTheFileHasThem) {
  PutFile("s.ini",
          "[编辑框]\r\n编辑框_视频路径=E:\\show\r\n编辑框1日志=by hand\r\n"
          "[选择框]\r\n选择框2预览=真\r\n");
  LoadSettingsFile(app_, ToolPath("s.ini"));
  // The path's text-changed handler ran: the extension and the back-to-default link.
  EXPECT_EQ(w_.Text(编辑框_视频路径), "E:\\show.mp4");
  EXPECT_TRUE(w_.Visible(标签1默认));
  EXPECT_EQ(w_.Text(编辑框1日志), "by hand");
  EXPECT_TRUE(w_.Checked(选择框2预览));
}

TEST_F(SettingsFilesTest, MissingEmptyOrForeignFilesKeepEveryControl) {
  const std::string before = Snapshot();

  LoadSettingsFile(app_, ToolPath("none.ini"));
  EXPECT_EQ(Snapshot(), before);
  EXPECT_FALSE(FileExists("none.ini"));

  PutFile("empty.ini");
  LoadSettingsFile(app_, ToolPath("empty.ini"));
  EXPECT_EQ(Snapshot(), before);

  PutFile("other.ini", "[其他]\r\n编辑框_断流延时=9\r\n[编辑框]\r\n不存在=1\r\n");
  LoadSettingsFile(app_, ToolPath("other.ini"));
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(SettingsFilesTest, EveryKindRoundTripsHiddenAndDisabledControlsIncluded) {
  w_.SetText(编辑框录制时长, "90");
  w_.SetText(编辑框定时录制, "2030年1月2日3时4分5秒");
  w_.SetText(编辑框_断流延时, "12");
  w_.SetText(编辑框_推流地址, "rtmp://192.0.2.1/a b");
  w_.SetSelection(组合框反交错场, 1);
  w_.SetSelection(组合框码率值1, 5);
  w_.SetText(组合框码率值2, "7777k");  // hidden at start
  w_.SetSelection(组合框选码率, 1);
  w_.SetText(组合框帧率, "29.97");
  w_.AddItem(组合框1视频设备, "\"USB Camera\"");
  w_.AddItem(组合框1视频设备, "\"Capture 2\"");
  w_.SetSelection(组合框1视频设备, 1);
  w_.AddItem(组合框2音频设备, "\"Mic (Audio)\"", 7);
  w_.SetChecked(单选框设备, false);
  w_.SetChecked(单选框rtmp, true);
  w_.SetChecked(选择框1录制时长, true);
  w_.SetChecked(选择框_定时录制, true);
  w_.SetChecked(选择框反交错, true);
  w_.SetEnabled(编辑框_断流延时, false);
  w_.SetEnabled(组合框码率值2, false);
  w_.SetVisible(选择框反交错, false);
  const std::string saved = Snapshot();
  SaveSettingsFile(app_, ToolPath("s.ini"));

  for (const ControlState& c : w_.Controls()) {
    switch (c.kind) {
      case Kind::kEditBox:
        if (c.id != 编辑框1日志 && c.id != 编辑框_视频路径) w_.SetText(c.id, "other");
        break;
      case Kind::kComboBox:
        w_.RemoveAllItems(c.id);
        w_.AddItem(c.id, "z", 9);
        w_.SetSelection(c.id, 0);
        break;
      case Kind::kRadioButton:
      case Kind::kCheckBox:
        if (c.id != 选择框2预览) w_.SetChecked(c.id, !c.checked);
        break;
      default:
        break;
    }
  }
  LoadSettingsFile(app_, ToolPath("s.ini"));

  EXPECT_EQ(Snapshot(), saved);
  EXPECT_EQ(w_.Text(组合框码率值2), "7777k");
  EXPECT_EQ(w_.ItemValue(组合框2音频设备, 0), 7);
}

struct EditCase {
  std::string_view name;
  std::string_view text;
  std::string_view stored;
  std::string_view loaded;
};

class EditBoxValueTest : public SettingsFilesTest,
                         public ::testing::WithParamInterface<EditCase> {};

TEST_P(EditBoxValueTest, IsEscapedAndComesBack) {
  const EditCase& c = GetParam();
  w_.SetText(编辑框_推流地址, std::string(c.text));
  SaveEditBoxes(app_, ToolPath("s.ini"), "");
  EXPECT_NE(Read("s.ini").find("\r\n编辑框_推流地址=" + std::string(c.stored) + "\r\n"),
            std::string::npos)
      << Read("s.ini");

  w_.SetText(编辑框_推流地址, "before");
  LoadEditBoxes(app_, ToolPath("s.ini"));
  EXPECT_EQ(w_.Text(编辑框_推流地址), c.loaded);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, EditBoxValueTest,
    ::testing::Values(EditCase{"TwoLines", "a\r\nb", "a><br><b", "a\r\nb"},
                      EditCase{"Quotes", "\"x\"", "#引号x#引号", "\"x\""},
                      EditCase{"TrailingLineBreak", "a\r\n", "a><br><", "a\r\n"},
                      EditCase{"LoneLineFeedStays", "a\nb", "a\nb", "a"},
                      // Texts that look like escapes come back as what they stand for.
                      EditCase{"LineBreakEscapeInside", "a><br><b", "a><br><b", "a\r\nb"},
                      EditCase{"QuoteEscapeInside", "x#引号y", "x#引号y", "x\"y"},
                      // What the profile read drops does not come back.
                      EditCase{"Blanks", "  padded \t", "  padded \t", "padded"},
                      EditCase{"SingleQuotes", "'quoted'", "'quoted'", "quoted"},
                      EditCase{"OneSingleQuote", "'left", "'left", "'left"},
                      EditCase{"Chinese", "拉流地址“全角”", "拉流地址“全角”", "拉流地址“全角”"}),
    [](const ::testing::TestParamInfo<EditCase>& info) { return std::string(info.param.name); });

TEST_F(SettingsFilesTest, AnEmptyEditTextIsStoredButNotRestored) {
  w_.SetText(编辑框_断流延时, "");
  SaveSettingsFile(app_, ToolPath("s.ini"));
  EXPECT_NE(Read("s.ini").find("\r\n编辑框_断流延时=\r\n"), std::string::npos);

  w_.SetText(编辑框_断流延时, "9");
  LoadSettingsFile(app_, ToolPath("s.ini"));
  EXPECT_EQ(w_.Text(编辑框_断流延时), "9");
}

TEST_F(SettingsFilesTest, BlankValuesLeaveTheControlAlone) {
  PutFile("s.ini",
          "[编辑框]\r\n编辑框_断流延时=   \r\n[组合框]\r\n组合框帧率=  \r\n"
          "[单选框]\r\n单选框设备=\r\n[选择框]\r\n选择框反交错=''\r\n");
  w_.SetChecked(选择框反交错, true);
  const std::string before = Snapshot();
  LoadSettingsFile(app_, ToolPath("s.ini"));
  EXPECT_EQ(Snapshot(), before);
}

struct CheckCase {
  std::string_view value;
  bool checked;
};

void PrintTo(const CheckCase& c, std::ostream* os) {
  *os << ::testing::PrintToString(std::string(c.value));
}

class CheckedValueTest : public SettingsFilesTest,
                         public ::testing::WithParamInterface<CheckCase> {};

TEST_P(CheckedValueTest, IsCheckedUnlessTheValueIsFalse) {
  const CheckCase& c = GetParam();
  PutFile("s.ini", "[单选框]\r\n单选框rtmp=" + std::string(c.value) +
                       "\r\n[选择框]\r\n选择框反交错=" + std::string(c.value) + "\r\n");
  w_.SetChecked(单选框rtmp, !c.checked);
  w_.SetChecked(选择框反交错, !c.checked);
  LoadRadioButtons(app_, ToolPath("s.ini"));
  LoadCheckBoxes(app_, ToolPath("s.ini"));
  EXPECT_EQ(w_.Checked(单选框rtmp), c.checked);
  EXPECT_EQ(w_.Checked(选择框反交错), c.checked);
  // The partner radio button is not touched.
  EXPECT_TRUE(w_.Checked(单选框设备));
}

INSTANTIATE_TEST_SUITE_P(Values, CheckedValueTest,
                         ::testing::Values(CheckCase{"真", true}, CheckCase{"假", false},
                                           CheckCase{"0", true}, CheckCase{"false", true},
                                           CheckCase{"假假", true}, CheckCase{" 假 ", false},
                                           CheckCase{"\"假\"", false}));

TEST_F(SettingsFilesTest, RadioButtonsAndCheckBoxesAreStoredAsTrueAndFalse) {
  w_.SetChecked(单选框设备, false);
  w_.SetChecked(单选框rtmp, true);
  w_.SetChecked(选择框_定时录制, true);
  SaveRadioButtons(app_, ToolPath("s.ini"), "");
  SaveCheckBoxes(app_, ToolPath("s.ini"), "选择框2预览");
  EXPECT_EQ(Read("s.ini"),
            "[单选框]\r\n单选框设备=假\r\n单选框rtmp=真\r\n"
            "[选择框]\r\n选择框1录制时长=假\r\n选择框_定时录制=真\r\n选择框反交错=假\r\n");
}

struct ComboLoadCase {
  std::string_view name;
  Ctl combo;
  std::string_view value;
  std::string_view items;
  int selection;
  std::string_view text;
};

class ComboLoadTest : public SettingsFilesTest,
                      public ::testing::WithParamInterface<ComboLoadCase> {};

TEST_P(ComboLoadTest, ReplacesItemsThenSelectionThenText) {
  const ComboLoadCase& c = GetParam();
  PutValue("s.ini", "组合框", ControlName(c.combo), c.value);
  LoadComboBoxes(app_, ToolPath("s.ini"));
  EXPECT_EQ(ItemsOf(w_, c.combo), c.items);
  EXPECT_EQ(w_.Selection(c.combo), c.selection);
  EXPECT_EQ(w_.Text(c.combo), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ComboLoadTest,
    ::testing::Values(
        // The list is emptied and index 0 selects nothing in an empty list.
        ComboLoadCase{"NoSeparators", 组合框帧率, "abc", "", -1, ""},
        ComboLoadCase{"NoSeparatorsDropDown", 组合框选码率, "abc", "", -1, ""},
        ComboLoadCase{"ElementWithoutValueSeparator", 组合框帧率, "xyz<||>q<|>4<||>0<|>", ":0,q:4",
                      0, ""},
        // An editable box shows the stored text even when it is no item.
        ComboLoadCase{"EditableShowsStoredText", 组合框帧率, "15<|>15<||>25<|>25<||>0<|>29.97",
                      "15:15,25:25", 0, "29.97"},
        // A drop-down list shows its selected item whatever text is stored.
        ComboLoadCase{"DropDownShowsItsItem", 组合框选码率, "固定码率<|>0<||>波动码率<|>0<||>1<|>x",
                      "固定码率:0,波动码率:0", 1, "波动码率"},
        ComboLoadCase{"SelectionPastTheEnd", 组合框选码率, "a<|>1<||>b<|>2<||>5<|>b", "a:1,b:2", 1,
                      "b"},
        ComboLoadCase{"SelectionMinusOne", 组合框帧率, "a<|>1<||>b<|>2<||>-1<|>", "a:1,b:2", -1,
                      ""},
        ComboLoadCase{"SelectionBelowMinusOne", 组合框帧率, "a<|>1<||>b<|>2<||>-7<|>t", "a:1,b:2",
                      -1, "t"},
        ComboLoadCase{"OnlyTheLastElement", 组合框1视频设备, "-1<|>", "", -1, ""},
        ComboLoadCase{"QuotedDeviceName", 组合框1视频设备,
                      "#引号USB Camera#引号<|>0<||>0<|>#引号USB Camera#引号", "\"USB Camera\":0", 0,
                      "\"USB Camera\""}),
    [](const ::testing::TestParamInfo<ComboLoadCase>& info) {
      return std::string(info.param.name);
    });

TEST_F(SettingsFilesTest, AComboValueCutInsideItsItemListKeepsTheWholeItems) {
  // 98 items of 104 bytes each (95 + "<|>" + two digits + "<||>") fill 10192 bytes; the 99th
  // item is cut 47 bytes later, two digits into its value, so "000…012<|>34" becomes the last
  // element.
  const std::string padding(95, 'k');
  const std::string name_99 = std::string(40, '0') + "12";
  w_.RemoveAllItems(组合框码率值1);
  for (int i = 0; i < 98; ++i) w_.AddItem(组合框码率值1, padding, 10 + i % 90);
  w_.AddItem(组合框码率值1, name_99, 345678);
  w_.AddItem(组合框码率值1, "last", 1);
  w_.SetSelection(组合框码率值1, 99);
  SaveComboBoxes(app_, ToolPath("s.ini"), "");
  ASSERT_GT(Read("s.ini").size(), 10239u + 100u);

  w_.RemoveAllItems(组合框码率值1);
  LoadComboBoxes(app_, ToolPath("s.ini"));

  ASSERT_EQ(w_.ItemCount(组合框码率值1), 98);
  EXPECT_EQ(w_.ItemText(组合框码率值1, 97), padding);
  EXPECT_EQ(w_.ItemValue(组合框码率值1, 97), 17);
  EXPECT_EQ(w_.Selection(组合框码率值1), 12);
  EXPECT_EQ(w_.Text(组合框码率值1), "34");
}

TEST_F(SettingsFilesTest, LoadsEveryKindFromItsOwnSection) {
  PutFile("s.ini",
          "[选择框]\r\n选择框反交错=真\r\n[单选框]\r\n单选框rtmp=真\r\n"
          "[编辑框]\r\n编辑框_断流延时=8\r\n选择框1录制时长=真\r\n"
          "[组合框]\r\n组合框帧率=1<|>1<||>0<|>\r\n");
  LoadSettingsFile(app_, ToolPath("s.ini"));
  EXPECT_EQ(ItemsOf(w_, 组合框帧率), "1:1");
  EXPECT_EQ(w_.Text(编辑框_断流延时), "8");
  EXPECT_TRUE(w_.Checked(单选框rtmp));
  EXPECT_TRUE(w_.Checked(选择框反交错));
  // A key under another kind's section belongs to no control.
  EXPECT_FALSE(w_.Checked(选择框1录制时长));
}

TEST_F(SettingsFilesTest, SaveSettingsClickWritesConfIniAndNothingElse) {
  const std::string log = w_.Text(编辑框1日志);
  const std::string caption = w_.Caption();
  ASSERT_TRUE(w_.UserClick(单选框rtmp));
  ASSERT_TRUE(w_.UserReplaceText(编辑框_推流地址, ""));
  ASSERT_TRUE(w_.UserClick(单选框设备));
  ASSERT_TRUE(w_.UserClick(按钮2保存));
  EXPECT_EQ(Read("conf.ini"), kFirstSaveFile);
  EXPECT_FALSE(FileExists("last.ini"));
  EXPECT_EQ(w_.Text(编辑框1日志), log);
  EXPECT_EQ(w_.Caption(), caption);
}

TEST_F(SettingsFilesTest, ImportSettingsClickLoadsConfIniAndAppliesIt) {
  PutFile("conf.ini",
          "[单选框]\r\n单选框设备=假\r\n单选框rtmp=真\r\n[组合框]\r\n"
          "组合框选码率=固定码率<|>0<||>波动码率<|>0<||>1<|>波动码率\r\n");
  const std::string log = w_.Text(编辑框1日志);
  ASSERT_TRUE(w_.UserClick(按钮1导入));
  EXPECT_TRUE(w_.Checked(单选框rtmp));
  // Applied: the pull-stream controls and the maximum bitrate are shown.
  EXPECT_TRUE(w_.Visible(编辑框_推流地址));
  EXPECT_FALSE(w_.Visible(组合框1视频设备));
  EXPECT_TRUE(w_.Visible(组合框码率值2));
  EXPECT_EQ(w_.Text(编辑框1日志), log);
}

TEST_F(SettingsFilesTest, ImportSettingsWithoutConfIniChangesNoLoadedControl) {
  w_.SetText(编辑框_断流延时, "7");
  w_.SetText(组合框帧率, "33");
  w_.SetChecked(选择框反交错, true);
  const std::string before = Snapshot();
  ASSERT_TRUE(w_.UserClick(按钮1导入));
  EXPECT_FALSE(FileExists("conf.ini"));
  EXPECT_EQ(Snapshot(), before);
}

}  // namespace
}  // namespace morvane
