// The main window as its definition creates it: every control's kind, parent, place, font,
// texts, items and initial state.
#include <string>
#include <utility>

#include "app/window_model.h"

namespace morvane {
namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};

std::string Blanks(int count) { return std::string(static_cast<std::size_t>(count), ' '); }

std::vector<ComboItem> BitrateItems() {
  std::vector<ComboItem> items;
  for (const char* rate : {"1000k", "2000k", "3000k", "4000k", "5000k", "6000k", "7000k", "8000k",
                           "9000k", "10000k", "15000k", "20000k"}) {
    items.push_back({rate, 0});
  }
  return items;
}

// Builds the table one control at a time; `Add` starts a control, the setters amend it.
class Builder {
 public:
  Builder& Add(Ctl id, Kind kind, std::optional<Ctl> parent, int page, Rect place,
               std::string text = {}) {
    ControlState c;
    c.id = id;
    c.kind = kind;
    c.parent = parent;
    c.page = page;
    c.place = place;
    c.text = std::move(text);
    controls_.push_back(std::move(c));
    return *this;
  }
  Builder& Font(int height, std::string face = {}) {
    Last().font = {height, std::move(face)};
    return *this;
  }
  Builder& Hidden() {
    Last().visible = false;
    return *this;
  }
  Builder& Disabled() {
    Last().enabled = false;
    return *this;
  }
  Builder& Checked() {
    Last().checked = true;
    return *this;
  }
  Builder& Input(InputKind input, bool centred) {
    Last().input = input;
    Last().centred = centred;
    return *this;
  }
  Builder& Items(std::vector<ComboItem> items, int selection, bool editable) {
    Last().items = std::move(items);
    Last().selection = selection;
    Last().editable = editable;
    return *this;
  }
  std::vector<ControlState> Take() { return std::move(controls_); }

 private:
  ControlState& Last() { return controls_.back(); }
  std::vector<ControlState> controls_;
};

}  // namespace

std::vector<ControlState> MainWindowControls() {
  using enum Ctl;
  using K = Kind;
  constexpr std::optional<Ctl> kWindow;
  constexpr int kLogPage = 0, kSourcePage = 1, kVideoPage = 2;
  constexpr Rect kNoPlace{};
  Builder b;

  b.Add(选择夹1, K::kTabControl, kWindow, -1, {0, 0, 568, 384}).Font(14, "宋体");
  b.Add(分组框3, K::kGroupBox, 选择夹1, kVideoPage, {40, 56, 496, 208}, "录制参数")
      .Font(12, "宋体");
  b.Add(组合框反交错场, K::kComboBox, 分组框3, kVideoPage, {247, 70, 136, 20})
      .Items({{"上场优先", 0}, {"下场优先", 1}, {"自动", -1}}, -1, false);
  b.Add(选择框1录制时长, K::kCheckBox, 分组框3, kVideoPage, {56, 96, 152, 24},
        "限定录制时长（分钟）");
  b.Add(透明标签6, K::kTransparentLabel, 分组框3, kVideoPage, {32, 136, 440, 64},
        "1.码率是指视频编码比特率。\r\n2.码率是一个大概数值，不会精确到设定数值。\r\n"
        "3.波动码率要第一个数值小于后一个数值。\r\n")
      .Font(14);
  b.Add(分组框4, K::kGroupBox, 选择夹1, kVideoPage, {40, 280, 496, 72}, "定时录制")
      .Font(12, "宋体");
  b.Add(选择框_定时录制, K::kCheckBox, 分组框4, kVideoPage, {66, 20, 366, 24},
        "在" + Blanks(40) + "开始录制");
  b.Add(透明标签7, K::kTransparentLabel, 分组框4, kVideoPage, {32, 45, 432, 24},
        "时间格式支持20220202121212或者半角“.”“/”“-”连接的年月日时分秒。");
  b.Add(时钟1定时录制, K::kTimer, 分组框4, kVideoPage, kNoPlace);
  b.Add(编辑框录制时长, K::kEditBox, 选择夹1, kVideoPage, {287, 149, 104, 24})
      .Input(InputKind::kDecimal, true)
      .Font(16);
  b.Add(编辑框定时录制, K::kEditBox, 选择夹1, kVideoPage, {143, 300, 224, 24})
      .Input(InputKind::kDateTime, true)
      .Font(16);
  b.Add(透明标签2, K::kTransparentLabel, 选择夹1, kVideoPage, {87, 88, 224, 24},
        "帧率：" + Blanks(12) + "码率：");
  b.Add(组合框码率值2, K::kComboBox, 选择夹1, kVideoPage, {393, 88, 60, 20})
      .Items(BitrateItems(), 5, true)
      .Hidden();
  b.Add(组合框码率值1, K::kComboBox, 选择夹1, kVideoPage, {311, 88, 60, 20})
      .Items(BitrateItems(), 3, true);
  b.Add(组合框选码率, K::kComboBox, 选择夹1, kVideoPage, {231, 88, 72, 20})
      .Items({{"固定码率", 0}, {"波动码率", 0}}, 0, false);
  b.Add(组合框帧率, K::kComboBox, 选择夹1, kVideoPage, {119, 88, 48, 20})
      .Items({{"15", 15}, {"25", 25}, {"30", 30}, {"50", 50}, {"60", 60}}, 1, true);
  b.Add(透明标签码率箭头, K::kTransparentLabel, 选择夹1, kVideoPage, {373, 88, 32, 16}, "→")
      .Font(19)
      .Hidden();
  b.Add(选择框2预览, K::kCheckBox, kWindow, -1, {232, 392, 136, 20}, "预览视频源").Font(16, "宋体");
  b.Add(选择框反交错, K::kCheckBox, 选择夹1, kVideoPage, {95, 120, 168, 32},
        "反交错（消除隔行横波纹）");
  b.Add(分组框1, K::kGroupBox, 选择夹1, kSourcePage, {8, 232, 544, 120}, "文件和位置")
      .Font(12, "宋体");
  b.Add(透明标签5, K::kTransparentLabel, 分组框1, kSourcePage, {16, 64, 504, 48},
        "1.“默认时间文件名”按照年月日时分秒格式命名。\r\n"
        "2.没有指定路径的文件保存在程序同一文件夹。\r\n"
        "3.相同名字的文件将自动在文件名后添加序号，防止覆盖同名文件。")
      .Font(14);
  b.Add(按钮_保存到, K::kButton, 选择夹1, kSourcePage, {16, 256, 72, 27}, "保存到").Font(14);
  b.Add(编辑框_视频路径, K::kEditBox, 选择夹1, kSourcePage, {96, 256, 432, 27}, "默认时间文件名")
      .Font(14);
  b.Add(标签1默认, K::kLabel, 选择夹1, kSourcePage, {486, 258, 38, 24}, "默认").Hidden();
  b.Add(分组框2, K::kGroupBox, 选择夹1, kSourcePage, {8, 48, 544, 168}, "录制源").Font(12, "宋体");
  b.Add(单选框设备, K::kRadioButton, 分组框2, kSourcePage, {32, 104, 144, 24}, "DirectShow设备")
      .Font(14)
      .Checked();
  b.Add(单选框rtmp, K::kRadioButton, 分组框2, kSourcePage, {32, 35, 104, 24}, "拉流视频").Font(14);
  b.Add(透明标签3, K::kTransparentLabel, 分组框2, kSourcePage, {64, 128, 280, 24},
        "视频：" + Blanks(31) + "音频：");
  b.Add(透明标签1, K::kTransparentLabel, 选择夹1, kSourcePage, {46, 120, 64, 14}, "拉流地址：")
      .Font(14);
  b.Add(透明标签4, K::kTransparentLabel, 选择夹1, kSourcePage, {320, 83, 191, 14},
        "断流" + Blanks(9) + "秒后结束录制")
      .Font(14);
  b.Add(编辑框_断流延时, K::kEditBox, 选择夹1, kSourcePage, {360, 79, 42, 22}, "5")
      .Input(InputKind::kInteger, true)
      .Font(14);
  b.Add(编辑框_推流地址, K::kEditBox, 选择夹1, kSourcePage, {118, 120, 400, 20},
        "rtmp://127.0.0.1/lumo/zhibo")
      .Font(14);
  b.Add(组合框2音频设备, K::kComboBox, 选择夹1, kSourcePage, {340, 178, 180, 22}, "选择音频设备")
      .Items({}, -1, false)
      .Font(14)
      .Disabled();
  b.Add(组合框1视频设备, K::kComboBox, 选择夹1, kSourcePage, {104, 178, 180, 22}, "选择视频设备")
      .Items({}, -1, false)
      .Font(14)
      .Disabled();
  b.Add(编辑框1日志, K::kEditBox, 选择夹1, kLogPage, {8, 32, 552, 344}, "********运行日志*******")
      .Font(16);
  b.Add(按钮_开始录制, K::kButton, kWindow, -1, {48, 387, 60, 28}, "录制").Font(19, "黑体");
  b.Add(按钮_停止录制, K::kButton, kWindow, -1, {138, 387, 60, 28}, "停止")
      .Font(19, "黑体")
      .Disabled();
  b.Add(按钮2保存, K::kButton, kWindow, -1, {400, 389, 72, 24}, "保存设置").Font(12);
  b.Add(按钮1导入, K::kButton, kWindow, -1, {480, 389, 72, 24}, "导入设置").Font(12);
  b.Add(时钟1ffmpeg, K::kTimer, kWindow, -1, kNoPlace);
  b.Add(时钟2ffplay, K::kTimer, kWindow, -1, kNoPlace);
  b.Add(通用对话框1, K::kFileDialog, kWindow, -1, kNoPlace);

  std::vector<ControlState> controls = b.Take();
  ControlState& tab = controls[static_cast<int>(选择夹1)];
  tab.tabs = {"运行记录", "输入输出", "视频参数"};
  ControlState& log = controls[static_cast<int>(编辑框1日志)];
  log.multi_line = true;
  log.text_colour = kWhite;
  log.back_colour = kBlack;
  return controls;
}

}  // namespace morvane
