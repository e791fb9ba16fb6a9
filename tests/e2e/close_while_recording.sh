#!/usr/bin/env bash
# Shut-down while recording: closing the window sends the recorder's console window WM_CLOSE (one
# SIGINT); the driver exits without waiting, and the recorder finishes a playable file by itself.
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"
stream_start

driver_start "$(pull_source_lines)
click 按钮_开始录制
$STATE_LINES
wait 5
print log
close"

recorder_wait_start
driver_finish 30
closed=$(now)
recorder_wait_gone 15
note "the recorder ended $(seconds_between "$(now)" "$closed") s after the driver"
recorder_said_sigint || fail "the recorder did not end on SIGINT"

expect_state 1 recording
[ -s "$FOLDER/last.ini" ] || fail "shut-down saved no last.ini"
expect_playable "$FOLDER/$(logged_output_name)" 3 7
e2e_pass
