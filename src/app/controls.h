// The main window's controls, identified by their names, in the window's control order: the order
// in which the window's definition lists them, which is also the order of the keys in a newly
// written settings file.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace morvane {

// X-macro list of every control name, in control order.
#define MORVANE_CONTROLS(X) \
  X(选择夹1)                \
  X(分组框3)                \
  X(组合框反交错场)         \
  X(选择框1录制时长)        \
  X(透明标签6)              \
  X(分组框4)                \
  X(选择框_定时录制)        \
  X(透明标签7)              \
  X(时钟1定时录制)          \
  X(编辑框录制时长)         \
  X(编辑框定时录制)         \
  X(透明标签2)              \
  X(组合框码率值2)          \
  X(组合框码率值1)          \
  X(组合框选码率)           \
  X(组合框帧率)             \
  X(透明标签码率箭头)       \
  X(选择框2预览)            \
  X(选择框反交错)           \
  X(分组框1)                \
  X(透明标签5)              \
  X(按钮_保存到)            \
  X(编辑框_视频路径)        \
  X(标签1默认)              \
  X(分组框2)                \
  X(单选框设备)             \
  X(单选框rtmp)             \
  X(透明标签3)              \
  X(透明标签1)              \
  X(透明标签4)              \
  X(编辑框_断流延时)        \
  X(编辑框_推流地址)        \
  X(组合框2音频设备)        \
  X(组合框1视频设备)        \
  X(编辑框1日志)            \
  X(按钮_开始录制)          \
  X(按钮_停止录制)          \
  X(按钮2保存)              \
  X(按钮1导入)              \
  X(时钟1ffmpeg)            \
  X(时钟2ffplay)            \
  X(通用对话框1)

enum class Ctl : uint8_t {
#define MORVANE_CONTROL_ENUM(name) name,
  MORVANE_CONTROLS(MORVANE_CONTROL_ENUM)
#undef MORVANE_CONTROL_ENUM
};

inline constexpr int kControlCount = 0
#define MORVANE_CONTROL_COUNT(name) +1
    MORVANE_CONTROLS(MORVANE_CONTROL_COUNT)
#undef MORVANE_CONTROL_COUNT
    ;

// The control's name as a GBK text, such as "编辑框_视频路径".
std::string_view ControlName(Ctl control);
// The control of that GBK name (exact bytes), if the window has one.
std::optional<Ctl> ControlByName(std::string_view name);

enum class Kind : uint8_t {
  kTabControl,
  kEditBox,
  kComboBox,
  kRadioButton,
  kCheckBox,
  kButton,
  kLabel,
  kTransparentLabel,
  kGroupBox,
  kTimer,
  kFileDialog,
};

// The kind's name, by which the toolkit finds controls and the settings files name sections:
// "编辑框", "组合框", "单选框", "选择框", ...
std::string_view KindName(Kind kind);

}  // namespace morvane
