#!/usr/bin/env bash
# The duration limit: 0.1 minutes ticked before Record puts -t 6 on the command line, the recorder
# ends by itself after six seconds, the watchdog reports it like any other end, and the file lasts
# about six seconds.
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"
stream_start

driver_start "$(pull_source_lines)
tab 2
set 编辑框录制时长 0.1
click 选择框1录制时长
print 选择框1录制时长
print DurationArg
click 按钮_开始录制
$STATE_LINES
wait 14
$STATE_LINES
print log
print caption"

recorder_wait_start
started=$(now)
recorder_wait_gone 20
note "the recorder ended by itself after $(seconds_between "$(now)" "$started") s"
driver_finish 30

expect_contains "duration box" "$(printed 选择框1录制时长)" "checked=1"
expect_contains DurationArg "$(printed DurationArg)" '" -t 6"'
expect_state 1 recording
expect_state 2 idle
log=$(printed log)
expect_contains log "$log" " -c copy -r 25 -b:v 3000k -bufsize 3000k -t 6 "
expect_not_contains log "$log" "录制结束，关闭后台程序"
entry_time "$log" "！！！录制停止，视频源错误或窗口被关闭，请检查" >/dev/null
expect_contains caption "$(printed caption)" '"！！！录制停止，视频源错误或窗口被关闭，请检查"'

expect_playable "$FOLDER/$(logged_output_name)" 5 7
e2e_pass
