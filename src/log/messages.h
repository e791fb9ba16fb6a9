// Every text the tool reports through the run log and the window caption.
#pragma once

#include <string_view>

namespace morvane::msg {

// Log lines and entry bodies.
inline constexpr std::string_view kRecorderMissing =
    "\r\n！！！ffmpeg.exe不存在，无法启动录制，请复制到程序旁边";
inline constexpr std::string_view kPreviewerMissing =
    "\r\n\r\n！！！ffplay.exe不存在，无法预览视频，请复制到程序旁边";
inline constexpr std::string_view kDevicesFoundBefore = "\r\n总共发现";
inline constexpr std::string_view kDevicesFoundAfter = "个音视频设备:";
inline constexpr std::string_view kSaveFolder = "\r\n文件保存位置：";
inline constexpr std::string_view kRecordRefused = "\r\n！！！录制失败，请先选择视频设备。";
inline constexpr std::string_view kRecorderStarted =
    "\r\n录制指令发出，ffmpeg.exe窗口将最小化，请勿关闭。\r\nffmpeg";
inline constexpr std::string_view kRecordingStopped = "\r\n录制结束，关闭后台程序";
inline constexpr std::string_view kRecorderGone =
    "\r\n！！！录制停止，视频源错误或窗口被关闭，请检查";
inline constexpr std::string_view kScheduleFired = "\r\n\r\n    ****定时录制任务启动****";
inline constexpr std::string_view kPreviewNeedsDevice = "\r\n！！！请先选择视频设备 ";
inline constexpr std::string_view kPreviewDevice = "\r\n预览设备频源\r\n";
inline constexpr std::string_view kPreviewDeviceSlow = "\r\n*****预览窗口打开较慢，请耐心";
inline constexpr std::string_view kPreviewStream = "\r\n预览拉流视频源：";
inline constexpr std::string_view kPreviewStreamSlow =
    "\r\n*****预览窗口打开较慢，无信号源10秒后自动取消预览。";
inline constexpr std::string_view kPreviewClosed = "\r\n关闭预览窗口";
inline constexpr std::string_view kPreviewerGone = "\r\n！！！视频源错误或ffplay被关闭了，请检查";

// Captions.
inline constexpr std::string_view kCaptionAtCreation = "Morvane";
inline constexpr std::string_view kCaptionIdle = "Tavonik";
inline constexpr std::string_view kCaptionRecordRefused = "！！！录制失败，请先选择视频设备。";
inline constexpr std::string_view kCaptionRecorderGone =
    "！！！录制停止，视频源错误或窗口被关闭，请检查";
inline constexpr std::string_view kCaptionScheduleRunning = "定时录制进行中……";
inline constexpr std::string_view kCaptionPreviewerGone =
    "！！！视频源错误或ffplay被关闭了，请检查";

}  // namespace morvane::msg
