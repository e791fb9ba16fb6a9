#!/usr/bin/env bash
# An output name that is taken: with clip.mp4 and clip_0.mp4 present, the recording goes to
# clip_1.mp4 and both files stay byte for byte as they were.
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"
stream_start

head -c 4096 /dev/urandom >"$FOLDER/clip.mp4"
head -c 2048 /dev/urandom >"$FOLDER/clip_0.mp4"
before=$(cd "$FOLDER" && sha256sum clip.mp4 clip_0.mp4)

driver_start "$(pull_source_lines)
set 编辑框_视频路径 clip.mp4
click 按钮_开始录制
$STATE_LINES
print NameSuffixCounter
wait 5
click 按钮_停止录制
$STATE_LINES
wait 3
print log"

recorder_wait_start
driver_finish 30

expect_state 1 recording
expect_state 2 idle
expect_contains NameSuffixCounter "$(printed NameSuffixCounter)" "1"
log=$(printed log)
expect_contains log "$log" " -c copy -r 25 -b:v 3000k -bufsize 3000k clip_1.mp4"
[ "$(logged_output_name)" = clip_1.mp4 ] || fail "the recording went to $(logged_output_name)"
after=$(cd "$FOLDER" && sha256sum clip.mp4 clip_0.mp4)
[ "$before" = "$after" ] || fail "an existing file changed: $before / $after"
expect_playable "$FOLDER/clip_1.mp4" 3 7
e2e_pass
