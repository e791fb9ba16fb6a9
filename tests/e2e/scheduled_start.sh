#!/usr/bin/env bash
# A scheduled start two seconds ahead: the schedule fires within its second, the banner line comes
# before the Record entry, the file is named after that second, and it records until Stop.
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"
stream_start

# Two seconds ahead, counted from the start of a second: the driver's start-up (a tenth of a
# second or so) must not let the second before the scheduled one pass.
align_to_second
at=$(($(date +%s) + 2))
driver_start "$(pull_source_lines)
tab 2
set 编辑框定时录制 $(date -d "@$at" +%Y%m%d%H%M%S)
click 选择框_定时录制
print 时钟1定时录制
wait 6
print caption
print 时钟1定时录制
$STATE_LINES
click 按钮_停止录制
$STATE_LINES
wait 3
print log"

recorder_wait_start
driver_finish 30

expect_contains "schedule timer armed" "$(printed_nth 时钟1定时录制 1)" "period=1000"
expect_contains "schedule timer after firing" "$(printed_nth 时钟1定时录制 2)" "period=0"
expect_contains caption "$(printed caption)" '"定时录制进行中……"'
expect_state 1 recording
expect_state 2 idle
log=$(printed log)
scheduled=$(tool_time_text "$at")
expect_contains log "$log" "\\r\\n\\r\\n    ****定时录制任务启动****\\r\\n\\r\\n"
started=$(entry_time "$log" "录制指令发出，ffmpeg.exe窗口将最小化，请勿关闭。")
[ "$started" = "$scheduled" ] || fail "the recording started at $started, scheduled for $scheduled"
note "scheduled for $scheduled, started at $started"
name=$(logged_output_name)
[ "$name" = "$scheduled.mp4" ] || fail "the file is $name, expected $scheduled.mp4"
expect_playable "$FOLDER/$name" 2 6
e2e_pass
