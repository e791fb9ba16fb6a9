#!/usr/bin/env bash
# The publisher freezes (SIGSTOP) during a recording with a stream-break delay of 3 s: the
# recorder ends by itself, the watchdog reports it within about a second, the window returns to
# idle with the alert, and the file is playable up to the break.
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"
stream_start

driver_start "$(pull_source_lines)
set 编辑框_断流延时 3
click 按钮_开始录制
$STATE_LINES
wait 30
$STATE_LINES
print log
print log-colour
print caption"

recorder_wait_start
sleep 4
kill -STOP "$PUBLISHER_PID"
frozen=$(now)
recorder_wait_gone 25
ended=$(now)
kill -CONT "$PUBLISHER_PID"
# FFmpeg gives up after about twice its -rw_timeout of 3 s; only a generous bound is checked.
waited=$(seconds_between "$ended" "$frozen")
note "the recorder ended $waited s after the stream froze (-rw_timeout 3 s)"
awk -v w="$waited" 'BEGIN { exit !(w <= 20) }' || fail "the recorder took $waited s to end"
driver_finish 40

expect_state 1 recording
expect_state 2 idle
log=$(printed log)
expect_contains log "$log" "ffmpeg -rw_timeout 3000000 -i $STREAM_URL -c copy "
expect_not_contains log "$log" "录制结束，关闭后台程序"
alert=$(entry_time "$log" "！！！录制停止，视频源错误或窗口被关闭，请检查")
# The alert's time has whole seconds; the watchdog ticks every second.
late=$(($(entry_epoch "$alert") - ${ended%.*}))
note "the watchdog's alert is stamped $alert, $late s after the second the recorder ended in"
if [ "$late" -lt 0 ] || [ "$late" -gt 2 ]; then
  fail "the alert came $late s after the recorder ended"
fi
expect_contains log "$log" "\\r\\n\\r\\n\\r\\n"
expect_contains log-colour "$(printed log-colour)" "255,80,128"
expect_contains caption "$(printed caption)" '"！！！录制停止，视频源错误或窗口被关闭，请检查"'

expect_playable "$FOLDER/$(logged_output_name)" 2 8
e2e_pass
