#!/usr/bin/env bash
# End-to-end smoke test of morvane.exe under Xvfb and Wine.
#
#   smoke.sh WINE_TEST STATE MORVANE_EXE DRIVER_EXE WORK FFMPEG_CACHE STREAM_SERVER
#
# WINE_TEST and STATE are the Wine session of the "wine" test fixture (tests/win32/wine-test).
# The tool runs in WORK/app beside a Windows ffmpeg.exe (the npm package
# @ffmpeg-installer/win32-x64, fetched once into FFMPEG_CACHE) and without ffplay.exe. The driver
# reads and works its controls; STREAM_SERVER serves the loopback test stream it records.
#
# What it checks:
# - the window comes up with the caption "Morvane", its left edge at 50, and the run log ends in
#   the missing-previewer line; Record is enabled and the preview check box is not;
# - the pull-stream source shows its controls and hides the device lists; the path box appends
#   ".mp4" to what is typed;
# - Record starts ffmpeg.exe in a console window titled with "ffmpeg.exe", disables Record and
#   enables Stop;
# - when the test stream goes quiet (its publisher stops, the server stays), the recorder ends by
#   itself on its read time-out, the stream-break delay; the watchdog's alert is in the log and
#   the caption, the window is idle again, and the MP4 has its H.264 video and AAC audio
#   (ffprobe). This ffmpeg build (4.1) under Wine gives up only after about twice the time-out
#   (measured: 10.3 s for 5 s), so the bound here is three times the delay and five seconds.
#   A server that closes the connection ends it at once.
# - Stop closes a running recorder and returns the window to idle.
#   Wine limit: under Wine 8, WM_CLOSE to a console window ends its program at once, without the
#   console close event that Windows sends and on which ffmpeg finishes its file. So this run
#   cannot show a finalised file after Stop; it checks that the recorder is gone and the window is
#   idle, and leaves the file alone.
# - Closing the window runs shut-down, which writes last.ini with the pull URL.
# A screenshot of the input and output page is left in WORK/input-output.png.
set -euo pipefail

[ $# -eq 7 ] || { echo "usage: smoke.sh WINE_TEST STATE EXE DRIVER WORK FFMPEG_CACHE STREAM_SERVER" >&2; exit 2; }
wine_test=$1 state=$2 exe=$3 driver=$4 work=$5 cache=$6 stream_server=$7

readonly ffmpeg_package=@ffmpeg-installer/win32-x64@4.1.0
readonly break_delay=5

fail() {
  echo "FAIL: $*"
  exit 1
}
pass() { echo "ok: $*"; }
expect() {
  [ "$2" = "$3" ] || fail "$1: got '$2', expected '$3'"
  pass "$1"
}
drive() { bash "$wine_test" run "$state" "$driver" "$@"; }

[ -s "$state/display" ] || fail "no Wine session in $state (the wine fixture sets it up)"
command -v npm >/dev/null || fail "npm is not installed (scripts/install-deps)"

# The Windows ffmpeg.exe, once per build tree.
if [ ! -s "$cache/ffmpeg.exe" ]; then
  rm -rf "$cache"
  mkdir -p "$cache/pack"
  (cd "$cache/pack" && npm pack --silent "$ffmpeg_package" >/dev/null)
  tar -xzf "$cache"/pack/*.tgz -C "$cache/pack"
  mv "$cache/pack/package/ffmpeg.exe" "$cache/ffmpeg.exe"
  rm -rf "$cache/pack"
fi

rm -rf "$work"
mkdir -p "$work/app"
cp "$exe" "$work/app/morvane.exe"
cp "$cache/ffmpeg.exe" "$work/app/ffmpeg.exe"

# Without a window manager Wine leaves window frames to the X server; this has it draw them
# itself, so that the screenshot shows the caption.
bash "$wine_test" run "$state" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ \
  /d N /f >/dev/null
# A Chinese Windows has SimSun (宋体) and SimHei (黑体); the window's blank-padded captions are
# measured in SimSun's half-width blanks. Here the WenQuanYi fonts stand in for them, the
# monospaced one for its half-width Latin letters and blanks.
for face in SimSun 宋体 NSimSun 新宋体 SimHei 黑体; do
  bash "$wine_test" run "$state" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" \
    /t REG_SZ /d "WenQuanYi Micro Hei Mono" /f >/dev/null
done

tool=""
STREAM_DIR=""
cleanup() {
  local status=$?
  if [ -n "$tool" ] && kill -0 "$tool" 2>/dev/null; then
    drive close >/dev/null 2>&1 || true
    for _ in $(seq 50); do
      kill -0 "$tool" 2>/dev/null || break
      sleep 0.2
    done
    if kill -0 "$tool" 2>/dev/null; then
      # The runner's own children (the tool), then the runner.
      kill $(pgrep -P "$tool") "$tool" 2>/dev/null || true
    fi
  fi
  if [ -n "$STREAM_DIR" ]; then "$stream_server" stop "$STREAM_DIR" || true; fi
  if [ "$status" -ne 0 ] && [ -f "$work/morvane.log" ]; then
    echo "--- morvane.exe output ---"
    cat "$work/morvane.log"
  fi
  exit "$status"
}
trap cleanup EXIT

# Starts the loopback test stream: STREAM_URL, STREAM_DIR, PUBLISHER_PID.
start_stream() {
  local lines
  lines=$("$stream_server") || fail "the test stream did not start"
  eval "$lines"
  [ -n "${STREAM_URL:-}" ] && [ -n "$STREAM_DIR" ] && [ -n "${PUBLISHER_PID:-}" ] ||
    fail "stream-server gave no stream"
}

# Waits until FILE holds more than BYTES bytes.
wait_for_file() {
  local file=$1 bytes=$2 seconds=$3 size
  for _ in $(seq $((seconds * 5))); do
    size=$(stat -c %s "$file" 2>/dev/null || echo 0)
    [ "$size" -gt "$bytes" ] && return 0
    sleep 0.2
  done
  fail "$file did not grow past $bytes bytes within $seconds s"
}

# Idle: Record enabled, Stop disabled.
expect_idle() {
  expect "$1: Record enabled" "$(drive enabled 按钮_开始录制)" 1
  expect "$1: Stop disabled" "$(drive enabled 按钮_停止录制)" 0
}

# ---- Start-up ----
bash "$wine_test" run "$state" "$work/app/morvane.exe" >"$work/morvane.log" 2>&1 &
tool=$!
drive wait-window 90 || fail "morvane.exe shows no window"
expect "caption" "$(drive caption)" "Morvane"
read -r left top width height <<<"$(drive rect)"
expect "left edge after start-up" "$left" 50
expect "outer size" "${width}x$height" 573x448
drive wait-text 编辑框1日志 "！！！ffplay.exe不存在，无法预览视频，请复制到程序旁边" 30 ||
  fail "no missing-previewer line in the log"
log=$(drive text 编辑框1日志)
case $log in
  "********运行日志*******"*) pass "log starts with its initial text" ;;
  *) fail "log does not start with its initial text: $log" ;;
esac
case $log in
  *"ffmpeg.exe不存在"*) fail "the log says ffmpeg.exe is missing: $log" ;;
esac
expect "log ends in the missing-previewer line" "${log##*$'\n'}" "！！！ffplay.exe不存在，无法预览视频，请复制到程序旁边"
expect "Record enabled with the recorder present" "$(drive enabled 按钮_开始录制)" 1
expect "preview disabled without ffplay.exe" "$(drive enabled 选择框2预览)" 0

# ---- The pull-stream source ----
start_stream
drive tab 1
drive click 单选框rtmp
expect "pull URL box shown" "$(drive visible 编辑框_推流地址)" 1
expect "delay box shown" "$(drive visible 编辑框_断流延时)" 1
expect "video device list hidden" "$(drive visible 组合框1视频设备)" 0
expect "stream-break delay" "$(drive text 编辑框_断流延时)" "$break_delay"
drive settext 编辑框_推流地址 "$STREAM_URL"
drive settext 编辑框_视频路径 "smoke1"
expect "path box completed by the tool" "$(drive text 编辑框_视频路径)" "smoke1.mp4"
expect "back-to-default label shown" "$(drive visible 标签1默认)" 1

# The input and output page, for the README (the driver's round trip lets the window paint).
read -r left top width height <<<"$(drive rect)"
sleep 1
ffmpeg -loglevel error -y -f x11grab -video_size "${width}x$height" \
  -i "$(cat "$state/display")+$left,$top" -frames:v 1 "$work/input-output.png"
pass "screenshot in $work/input-output.png"

# ---- Typing goes through the tool's own rules ----
drive tab 2
drive settext 编辑框录制时长 ""
drive type 编辑框录制时长 "1a.5分"
expect "decimal box keeps digits and the point" "$(drive text 编辑框录制时长)" "1.5"
drive settext 编辑框定时录制 "20300101080506"
drive keyup 编辑框定时录制 13
expect "Enter in the schedule box rewrites its time" "$(drive text 编辑框定时录制)" \
  "2030年1月1日8时5分6秒"
drive select 组合框选码率 1
expect "variable bitrate shows the maximum rate" "$(drive visible 组合框码率值2)" 1
expect "caption after the bitrate mode" "$(drive caption)" "3000k-4000k"
drive select 组合框选码率 0
expect "fixed bitrate hides the maximum rate" "$(drive visible 组合框码率值2)" 0

# ---- Record; the stream stops; the recorder ends by itself ----
drive click 按钮_开始录制
drive wait-title ffmpeg.exe 30 || fail "no console window titled with ffmpeg.exe"
pass "recorder console window"
expect "recording: Record disabled" "$(drive enabled 按钮_开始录制)" 0
expect "recording: Stop enabled" "$(drive enabled 按钮_停止录制)" 1
expect "caption after the start" "$(drive caption)" "Tavonik"
drive wait-text 编辑框1日志 "录制指令发出，ffmpeg.exe窗口将最小化，请勿关闭。" 5
wait_for_file "$work/app/smoke1.mp4" 100000 60

# The publisher stops; the server stays, so that the recorder only sees the stream go quiet.
kill "$PUBLISHER_PID"
stopped=$SECONDS
drive wait-no-title ffmpeg.exe $((3 * break_delay + 5)) ||
  fail "the recorder did not end on its read time-out"
pass "recorder ended $((SECONDS - stopped)) s after the stream stopped"
"$stream_server" stop "$STREAM_DIR"
STREAM_DIR=""
drive wait-text 编辑框1日志 "！！！录制停止，视频源错误或窗口被关闭，请检查" 5 ||
  fail "no watchdog alert in the log"
expect "caption after the alert" "$(drive caption)" "！！！录制停止，视频源错误或窗口被关闭，请检查"
expect_idle "after the alert"

streams=$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$work/app/smoke1.mp4" |
  sort | tr '\n' ' ')
expect "recorded streams" "$streams" "aac h264 "
duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$work/app/smoke1.mp4")
awk -v d="$duration" 'BEGIN { exit !(d >= 1) }' || fail "recording too short: $duration s"
pass "recording of $duration s"

# ---- Stop ----
start_stream
drive settext 编辑框_推流地址 "$STREAM_URL"
drive settext 编辑框_视频路径 "smoke2"
drive click 按钮_开始录制
drive wait-title ffmpeg.exe 30 || fail "no console window for the second recording"
wait_for_file "$work/app/smoke2.mp4" 0 60
drive click 按钮_停止录制
drive wait-text 编辑框1日志 "录制结束，关闭后台程序" 5 || fail "no Stop entry in the log"
expect_idle "after Stop"
drive wait-no-title ffmpeg.exe 15 || fail "Stop left the recorder's console window"
drive wait-no-process ffmpeg.exe 15 || fail "Stop left ffmpeg.exe running"
pass "Stop closed the recorder (Wine cannot show a finalised file here, see above)"
"$stream_server" stop "$STREAM_DIR"
STREAM_DIR=""

# ---- Shut-down ----
drive close
drive wait-closed 30 || fail "the window did not close"
wait "$tool" || fail "morvane.exe ended with status $?"
tool=""
[ -f "$work/app/last.ini" ] || fail "shut-down wrote no last.ini"
iconv -f GBK -t UTF-8 "$work/app/last.ini" | grep -q "^编辑框_推流地址=rtmp://127.0.0.1" ||
  fail "last.ini lacks the pull URL"
pass "shut-down saved last.ini"
