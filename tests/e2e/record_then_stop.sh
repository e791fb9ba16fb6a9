#!/usr/bin/env bash
# Record, then Stop: the recorder's command is logged, the window is in the recording state while
# it runs, Stop closes the recorder's console window (one SIGINT), and the file it finishes is a
# playable MP4 about as long as the recording ran.
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"
stream_start

driver_start "$(pull_source_lines)
click 按钮_开始录制
$STATE_LINES
wait 8
click 按钮_停止录制
$STATE_LINES
wait 3
print log
print log-colour
print caption"

recorder_wait_start
started=$(now)
recorder_wait_gone 25
note "the recorder ran $(seconds_between "$(now)" "$started") s"
driver_finish 30

expect_state 1 recording
expect_state 2 idle
log=$(printed log)
expect_contains log "$log" "录制指令发出，ffmpeg.exe窗口将最小化，请勿关闭。\\r\\nffmpeg -rw_timeout 5000000 -i $STREAM_URL -c copy -r 25 -b:v 3000k -bufsize 3000k "
expect_contains log "$log" "\\r\\n录制结束，关闭后台程序"
expect_not_contains log "$log" "！！！录制停止"
expect_contains log-colour "$(printed log-colour)" "255,255,255"
expect_contains caption "$(printed caption)" '"Tavonik"'
recorder_said_sigint || fail "the recorder did not end on SIGINT"

name=$(logged_output_name)
expect_contains "recorder's arguments" "$RECORDER_CMDLINE" "$name"
expect_playable "$FOLDER/$name" 6 10.5
e2e_pass
