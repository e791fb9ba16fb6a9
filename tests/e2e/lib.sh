# Shared by the end-to-end tests: a run folder for the tool, the embedded test stream, the headless
# driver on the real platform, the recorder's process, and checks of the log and the MP4 files.
#
# A test script is run as `bash TEST.sh DRIVER WORK`: DRIVER is the morvane-headless binary, WORK
# a scratch folder (emptied first, kept afterwards for a look at what happened). It sources this
# file, calls e2e_begin, and ends with e2e_pass. Every process it starts is recorded by PID and
# stopped by the EXIT trap, also when a check fails half-way. Nothing leaves 127.0.0.1.

set -euo pipefail
export LC_ALL=C.UTF-8

E2E_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
DRIVER=""
WORK=""
FOLDER=""        # the tool's folder: ffmpeg.exe and ffplay.exe, last.ini, relative output files
OUT=""           # what the driver printed
STREAM_DIR=""
STREAM_URL=""
PUBLISHER_PID=""
DRIVER_PID=""
DRIVER_STARTED=""
RECORDER_PID=""
RECORDER_STARTED=""
RECORDER_CMDLINE=""
XVFB_PID=""
XVFB_STARTED=""
PREVIEWER_PID=""
PREVIEWER_STARTED=""
PREVIEW_WINDOW_AFTER=""  # seconds from the previewer's start to its window titled 预览

# ---- reports ---------------------------------------------------------------------------------

note() { echo "e2e: $*"; }

fail() {
  echo "e2e: FAILED: $*" >&2
  if [ -n "$OUT" ] && [ -f "$OUT" ]; then
    echo "---- driver output ----" >&2
    cat "$OUT" >&2
  fi
  if [ -n "$WORK" ] && [ -s "$WORK/driver.err" ]; then
    echo "---- driver errors ----" >&2
    cat "$WORK/driver.err" >&2
  fi
  if [ -n "$WORK" ] && [ -d "$WORK/children" ]; then
    local f
    for f in "$WORK"/children/*; do
      [ -f "$f" ] || continue
      echo "---- $(basename "$f") (last lines) ----" >&2
      tail -n 15 "$f" >&2
    done
  fi
  exit 1
}

# ---- processes, by PID and start time --------------------------------------------------------

# The start time of process PID (field 22 of /proc/PID/stat); tells it apart from a later process
# that reuses the PID.
proc_start_time() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  local -a f
  read -r -a f <<<"$stat"
  echo "${f[19]}"
}

# True while PID is the process that started at START and has not ended (a zombie has ended).
proc_alive() {
  local pid=$1 start=$2 stat
  [ -n "$pid" ] || return 1
  stat=$(cat "/proc/$pid/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  local -a f
  read -r -a f <<<"$stat"
  [ "${f[0]}" != Z ] && [ "${f[19]}" = "$start" ]
}

# Waits up to SECONDS for the process to end; false when it is still there.
proc_wait_gone() {
  local pid=$1 start=$2 seconds=$3 i
  for ((i = 0; i < seconds * 10; i++)); do
    proc_alive "$pid" "$start" || return 0
    sleep 0.1
  done
  ! proc_alive "$pid" "$start"
}

# Ends a process we started: SIGCONT, SIGTERM, and SIGKILL after three seconds.
proc_stop() {
  local pid=$1 start=$2
  proc_alive "$pid" "$start" || return 0
  kill -CONT "$pid" 2>/dev/null || true
  kill -TERM "$pid" 2>/dev/null || true
  proc_wait_gone "$pid" "$start" 3 || kill -KILL "$pid" 2>/dev/null || true
}

# The PIDs of the children of PID.
proc_children() {
  local parent=$1 d stat
  for d in /proc/[0-9]*; do
    stat=$(cat "$d/stat" 2>/dev/null) || continue
    stat=${stat##*) }
    local -a f
  read -r -a f <<<"$stat"
    [ "${f[1]}" = "$parent" ] && echo "${d#/proc/}"
  done
  return 0
}

now() { echo "$EPOCHREALTIME"; }

# The seconds since process PID started, to the clock tick, from its start time and the uptime.
proc_age() {
  local start uptime
  start=$(proc_start_time "$1") || return 1
  read -r uptime _ </proc/uptime
  awk -v u="$uptime" -v s="$start" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.2f", u - s / hz }'
}

# Sleeps until just after the clock's next whole second, so that what follows has most of a
# second before the second changes again.
align_to_second() {
  sleep "$(awk -v t="$EPOCHREALTIME" 'BEGIN { printf "%.3f", 1.05 - (t - int(t)) }')"
}

# A - B in seconds with one decimal, for the test's report.
seconds_between() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a - b }'; }

# ---- the run --------------------------------------------------------------------------------

cleanup() {
  local status=$?
  set +e
  [ -n "$DRIVER_PID" ] && proc_stop "$DRIVER_PID" "$DRIVER_STARTED"
  [ -n "$RECORDER_PID" ] && proc_stop "$RECORDER_PID" "$RECORDER_STARTED"
  [ -n "$PREVIEWER_PID" ] && proc_stop "$PREVIEWER_PID" "$PREVIEWER_STARTED"
  [ -n "$XVFB_PID" ] && proc_stop "$XVFB_PID" "$XVFB_STARTED"
  [ -n "$STREAM_DIR" ] && "$E2E_ROOT/scripts/stream-server" stop "$STREAM_DIR"
  exit "$status"
}

# e2e_begin DRIVER WORK: an empty WORK with the tool's folder, and the cleanup trap.
e2e_begin() {
  [ $# -eq 2 ] || fail "usage: TEST.sh DRIVER WORK"
  DRIVER=$1
  WORK=$2
  [ -x "$DRIVER" ] || fail "no driver at $DRIVER"
  local program
  for program in ffmpeg ffplay ffprobe nginx; do
    command -v "$program" >/dev/null || fail "$program is missing: run scripts/install-deps"
  done
  rm -rf "$WORK"
  mkdir -p "$WORK/folder" "$WORK/children"
  FOLDER=$WORK/folder
  OUT=$WORK/driver.out
  ln -s "$(command -v ffmpeg)" "$FOLDER/ffmpeg.exe"
  ln -s "$(command -v ffplay)" "$FOLDER/ffplay.exe"
  trap cleanup EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
}

# Starts the embedded stream on a free loopback port: STREAM_URL, PUBLISHER_PID.
stream_start() {
  local lines
  lines=$(STREAM_MAX_SECONDS=600 "$E2E_ROOT/scripts/stream-server") || fail "the stream did not start"
  eval "$lines"
  note "stream $STREAM_URL (nginx $NGINX_PID, publisher $PUBLISHER_PID)"
}

# The first lines of every script: the pull source on the stream's URL.
pull_source_lines() {
  printf 'tab 1\nclick 单选框rtmp\nset 编辑框_推流地址 %s\n' "$STREAM_URL"
}

# driver_start SCRIPT-TEXT: runs the script through the driver on the real platform, in the
# background, with the children's output kept in WORK/children.
driver_start() {
  printf '%s\n' "$1" >"$WORK/script.txt"
  "$DRIVER" --dir "$FOLDER" --child-output "$WORK/children" "$WORK/script.txt" \
    </dev/null >"$OUT" 2>"$WORK/driver.err" &
  DRIVER_PID=$!
  DRIVER_STARTED=$(proc_start_time "$DRIVER_PID") || DRIVER_STARTED=gone
}

# Waits up to SECONDS for the driver to finish its script; fails when it does not, or when it
# ends with an error.
driver_finish() {
  local seconds=$1 status=0
  proc_wait_gone "$DRIVER_PID" "$DRIVER_STARTED" "$seconds" ||
    fail "the driver did not finish within $seconds s"
  wait "$DRIVER_PID" || status=$?
  DRIVER_PID=""
  [ "$status" -eq 0 ] || fail "the driver exited with $status"
  [ ! -s "$WORK/driver.err" ] || fail "the driver wrote errors"
}

# Waits up to 20 s for the driver's recorder (a child named ffmpeg.exe pulling the stream):
# RECORDER_PID, RECORDER_STARTED, RECORDER_CMDLINE.
recorder_wait_start() {
  local i pid comm cmdline
  for ((i = 0; i < 200; i++)); do
    for pid in $(proc_children "$DRIVER_PID"); do
      comm=$(cat "/proc/$pid/comm" 2>/dev/null) || continue
      [ "$comm" = ffmpeg.exe ] || continue
      cmdline=$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null) || continue
      case "$cmdline" in
        *-rw_timeout*)
          RECORDER_PID=$pid
          RECORDER_STARTED=$(proc_start_time "$pid") || continue
          RECORDER_CMDLINE=$cmdline
          note "recorder $RECORDER_PID: $RECORDER_CMDLINE"
          return 0
          ;;
      esac
    done
    proc_alive "$DRIVER_PID" "$DRIVER_STARTED" || fail "the driver ended before a recorder started"
    sleep 0.1
  done
  fail "no recorder started within 20 s"
}

recorder_alive() { proc_alive "$RECORDER_PID" "$RECORDER_STARTED"; }

# Waits up to SECONDS for the recorder to end by itself; fails when it does not.
recorder_wait_gone() {
  proc_wait_gone "$RECORDER_PID" "$RECORDER_STARTED" "$1" ||
    fail "the recorder was still running $1 s later"
}

# ---- the screen and the preview -------------------------------------------------------------

# Starts an Xvfb of the test's own on a free display number, reachable only through its local
# socket, and points DISPLAY at it; SDL (ffplay) draws there and plays its sound nowhere.
xvfb_start() {
  command -v Xvfb >/dev/null || fail "Xvfb is missing: run scripts/install-deps"
  command -v xwininfo >/dev/null || fail "xwininfo is missing: run scripts/install-deps"
  local i number=""
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1920x1080x24 \
    3>"$WORK/xvfb.display" </dev/null >"$WORK/xvfb.log" 2>&1 &
  XVFB_PID=$!
  XVFB_STARTED=$(proc_start_time "$XVFB_PID") || XVFB_STARTED=gone
  # The server writes its display number, with a line break, once it takes connections.
  for ((i = 0; i < 200; i++)); do
    if read -r number <"$WORK/xvfb.display" 2>/dev/null && [[ "$number" =~ ^[0-9]+$ ]]; then
      export DISPLAY=":$number" SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
      note "Xvfb $XVFB_PID on $DISPLAY"
      return 0
    fi
    proc_alive "$XVFB_PID" "$XVFB_STARTED" || fail "Xvfb ended: $(tail -5 "$WORK/xvfb.log")"
    sleep 0.1
  done
  fail "Xvfb reported no display within 20 s"
}

# True when the X server has a window (mapped or not) titled exactly TITLE.
x_window_titled() {
  xwininfo -root -tree 2>/dev/null | grep -qF "\"$1\":"
}

# Waits up to 20 s for the driver's previewer (a child named ffplay.exe): PREVIEWER_PID,
# PREVIEWER_STARTED. Then watches for its window titled 预览 until it comes, the previewer ends or
# 20 s have passed: PREVIEW_WINDOW_AFTER is the previewer's age when that window was seen (a look
# takes a few hundredths of a second, so it is that much late at most), empty when it never came.
previewer_watch() {
  local i pid comm age
  for ((i = 0; i < 400; i++)); do
    for pid in $(proc_children "$DRIVER_PID"); do
      comm=$(cat "/proc/$pid/comm" 2>/dev/null) || continue
      [ "$comm" = ffplay.exe ] || continue
      PREVIEWER_PID=$pid
      PREVIEWER_STARTED=$(proc_start_time "$pid") || continue
      break 2
    done
    proc_alive "$DRIVER_PID" "$DRIVER_STARTED" || fail "the driver ended before a previewer started"
    sleep 0.05
  done
  [ -n "$PREVIEWER_STARTED" ] || fail "no previewer started within 20 s"
  note "previewer $PREVIEWER_PID, found $(proc_age "$PREVIEWER_PID") s after its start"
  for ((i = 0; i < 400; i++)); do
    if x_window_titled 预览; then
      age=$(proc_age "$PREVIEWER_PID") || break
      PREVIEW_WINDOW_AFTER=$age
      note "the window 预览 came $PREVIEW_WINDOW_AFTER s after the previewer's start"
      return 0
    fi
    proc_alive "$PREVIEWER_PID" "$PREVIEWER_STARTED" || break
    sleep 0.05
  done
  note "the window 预览 did not come"
}

previewer_alive() { proc_alive "$PREVIEWER_PID" "$PREVIEWER_STARTED"; }

# The script lines that list the windows; each listing ends with the SearchTitle line, which
# windows_listing counts.
WINDOWS_LINES=$'print windows\nprint SearchTitle'

# The lines of the Nth window listing (1-based), `window: "TITLE" [left,top,width,height]` each.
windows_listing() {
  local n=$1 line count=1
  while IFS= read -r line; do
    if [[ "$line" == "SearchTitle: "* ]]; then
      count=$((count + 1))
    elif [ "$count" -eq "$n" ] && [[ "$line" == 'window: "'* ]]; then
      printf '%s\n' "$line"
    fi
  done <"$OUT"
}

# The main window's rectangle as the first `print window` gave it: left,top,width,height.
main_window_rect() {
  local line
  line=$(grep -m1 -E '^window: -?[0-9]+,' "$OUT") || fail "the main window's rectangle was not printed"
  printf '%s' "${line#window: }"
}

# The driver's script for a preview of the stream: open it, list the windows at once and after a
# while, close it, list them again.
preview_script() {
  printf '%s\n' "$(pull_source_lines)" "print window" "click 选择框2预览" "$WINDOWS_LINES" \
    "print 选择框2预览" "print 时钟2ffplay" "wait 4" "$WINDOWS_LINES" "print processes" \
    "print 选择框2预览" "print 时钟2ffplay" "click 选择框2预览" "wait 1.5" "$WINDOWS_LINES" \
    "print processes" "print 选择框2预览" "print 时钟2ffplay" "print log" "print caption" \
    "print log-colour"
}

# expect_preview_run STRICT: the checks of a preview_script run. The window 预览 must sit flush
# against the main window's right edge, top-aligned and of its size, whenever it was there when the
# tool looked for it, two seconds after the start; with STRICT=1 it must have been there. When it
# came later, the tool placed the previewer's console window instead, which has no X window here.
expect_preview_run() {
  local strict=$1 main left top width height flush listing preview log early=0
  main=$(main_window_rect)
  IFS=, read -r left top width height <<<"$main"
  flush="$((left + width)),$top,$width,$height"
  note "main window $main; flush against its right edge: $flush"
  if [ -n "$PREVIEW_WINDOW_AFTER" ]; then
    awk -v a="$PREVIEW_WINDOW_AFTER" 'BEGIN { exit !(a < 1.8) }' && early=1
  fi

  listing=$(windows_listing 1)
  note "windows after opening: $(tr '\n' ';' <<<"$listing")"
  expect_contains "windows after opening" "$listing" 'ffplay.exe"'
  preview=$(grep -F 'window: "预览"' <<<"$listing" || true)
  if [ "$preview" = "window: \"预览\" $flush" ]; then
    note "the window 预览 was placed flush against the main window"
  elif [ "$strict" = 1 ]; then
    fail "the window 预览 was not placed at $flush (came after ${PREVIEW_WINDOW_AFTER:-never} s): «$preview»"
  elif [ "$early" = 1 ]; then
    fail "the window 预览 was there ${PREVIEW_WINDOW_AFTER} s after the start but not placed at $flush: «$preview»"
  else
    note "the window 预览 came after the tool's search (${PREVIEW_WINDOW_AFTER:-never} s after the start):" \
      "the console window got the placement and the video window kept its own place"
  fi
  expect_contains "preview box after opening" "$(printed_nth 选择框2预览 1)" "checked=1"
  expect_contains "preview watchdog after opening" "$(printed_nth 时钟2ffplay 1)" "period=1000"

  listing=$(windows_listing 2)
  note "windows while previewing: $(tr '\n' ';' <<<"$listing")"
  expect_contains "windows while previewing" "$listing" 'ffplay.exe"'
  expect_contains "windows while previewing" "$listing" 'window: "预览" '
  [ "$strict" = 1 ] && expect_contains "windows while previewing" "$listing" "window: \"预览\" $flush"
  expect_contains "processes while previewing" "$(grep '^process: ' "$OUT")" \
    "process: $PREVIEWER_PID \"ffplay.exe\""
  expect_contains "preview box while previewing" "$(printed_nth 选择框2预览 2)" "checked=1"
  expect_contains "preview watchdog while previewing" "$(printed_nth 时钟2ffplay 2)" "period=1000"

  listing=$(windows_listing 3)
  expect_not_contains "windows after closing" "$listing" "ffplay.exe"
  expect_not_contains "windows after closing" "$listing" "预览"
  [ "$(grep -c '^process: .*"ffplay.exe"' "$OUT")" = 1 ] || fail "a previewer outlived the closing"
  previewer_alive && fail "the previewer $PREVIEWER_PID still runs"
  expect_contains "preview box after closing" "$(printed_nth 选择框2预览 3)" "checked=0"
  expect_contains "preview watchdog after closing" "$(printed_nth 时钟2ffplay 3)" "period=0"

  log=$(printed log)
  expect_contains log "$log" "预览拉流视频源：$STREAM_URL"
  expect_contains log "$log" "ffplay.exe  -y 350  -window_title \\\"预览\\\" -fflags nobuffer  $STREAM_URL"
  expect_contains log "$log" "\\r\\n关闭预览窗口"
  expect_not_contains log "$log" "！！！视频源错误"
  expect_contains caption "$(printed caption)" '"Tavonik"'
  expect_contains log-colour "$(printed log-colour)" "255,255,255"
}

# ---- the driver's output ---------------------------------------------------------------------

# The last value printed for WHAT (a control name, log, caption, ...), as the driver wrote it.
printed() {
  local what=$1 line value=""
  while IFS= read -r line; do
    [[ "$line" == "$what: "* ]] && value=${line#"$what: "}
  done <"$OUT"
  printf '%s' "$value"
}

# The Nth value printed for WHAT (1-based).
printed_nth() {
  local what=$1 n=$2 line count=0
  while IFS= read -r line; do
    if [[ "$line" == "$what: "* ]]; then
      count=$((count + 1))
      [ "$count" -eq "$n" ] && printf '%s' "${line#"$what: "}" && return 0
    fi
  done <"$OUT"
  fail "$what was printed fewer than $n times"
}

# expect_contains LABEL TEXT PART: TEXT holds PART.
expect_contains() {
  [[ "$2" == *"$3"* ]] || fail "$1: expected to contain «$3», got «$2»"
}

expect_not_contains() {
  [[ "$2" != *"$3"* ]] || fail "$1: expected not to contain «$3», got «$2»"
}

# expect_state N: the Nth prints of Record, Stop and the recorder watchdog show the recording
# state (recording) or the idle state (idle).
expect_state() {
  local n=$1 state=$2 record stop timer
  record=$(printed_nth 按钮_开始录制 "$n")
  stop=$(printed_nth 按钮_停止录制 "$n")
  timer=$(printed_nth 时钟1ffmpeg "$n")
  if [ "$state" = recording ]; then
    expect_contains "Record ($n)" "$record" "enabled=0"
    expect_contains "Stop ($n)" "$stop" "enabled=1"
    expect_contains "recorder watchdog ($n)" "$timer" "period=1000"
  else
    expect_contains "Record ($n)" "$record" "enabled=1"
    expect_contains "Stop ($n)" "$stop" "enabled=0"
    expect_contains "recorder watchdog ($n)" "$timer" "period=0"
  fi
}

# The script lines that print the three controls expect_state reads.
# shellcheck disable=SC2034  # used by the test scripts
STATE_LINES=$'print 按钮_开始录制\nprint 按钮_停止录制\nprint 时钟1ffmpeg'

# The output file named at the end of the last recorder command in the log (relative names are in
# the tool's folder).
logged_output_name() {
  local log name
  log=$(printed log)
  [[ "$log" =~ ffmpeg\ -rw_timeout\ [^\"]*\ ([^ \"\\]+\.mp4) ]] || fail "no recorder command in the log"
  name=${BASH_REMATCH[1]}
  while [[ "$log" =~ ffmpeg\ -rw_timeout\ [^\"]*\ ([^ \"\\]+\.mp4)(.*)$ ]]; do
    name=${BASH_REMATCH[1]}
    log=${BASH_REMATCH[2]}
  done
  printf '%s' "$name"
}

# The tool's date-time text: the date, then the time without leading zeros, its zero tail left out
# (2024年5月1日8时30分15秒, 2024年5月1日8时30分, 2024年5月1日8时, 2024年5月1日).
time_pattern='[0-9]+年[0-9]+月[0-9]+日([0-9]+时([0-9]+分([0-9]+秒)?)?)?'

# The seconds since the epoch of a log entry time such as 2024年5月1日8时30分15秒.
entry_epoch() {
  [[ "$1" =~ ^([0-9]+)年([0-9]+)月([0-9]+)日(([0-9]+)时(([0-9]+)分(([0-9]+)秒)?)?)?$ ]] ||
    fail "no entry time: $1"
  date -d "${BASH_REMATCH[1]}-${BASH_REMATCH[2]}-${BASH_REMATCH[3]} ${BASH_REMATCH[5]:-0}:${BASH_REMATCH[7]:-0}:${BASH_REMATCH[9]:-0}" +%s
}

# The time of the log entry whose body starts with BODY (the last such entry).
entry_time() {
  local log=$1 body=$2 time=""
  while [[ "$log" =~ [0-9]+\.($time_pattern)\\r\\n"$body"(.*)$ ]]; do
    time=${BASH_REMATCH[1]}
    log=${BASH_REMATCH[5]}
  done
  [ -n "$time" ] || fail "no log entry «$body»"
  printf '%s' "$time"
}

# The text of a date-time as the tool writes it, from seconds since the epoch.
tool_time_text() {
  local -a p
  read -r -a p <<<"$(date -d "@$1" '+%Y %m %d %H %M %S')"
  local year=$((10#${p[0]})) month=$((10#${p[1]})) day=$((10#${p[2]}))
  local hour=$((10#${p[3]})) minute=$((10#${p[4]})) second=$((10#${p[5]}))
  printf '%d年%d月%d日' "$year" "$month" "$day"
  if ((second != 0)); then
    printf '%d时%d分%d秒' "$hour" "$minute" "$second"
  elif ((minute != 0)); then
    printf '%d时%d分' "$hour" "$minute"
  elif ((hour != 0)); then
    printf '%d时' "$hour"
  fi
}

# ---- the recorder's output and files ---------------------------------------------------------

# True when some kept child output says FFmpeg ended on SIGINT, as it does when its console
# window is closed.
recorder_said_sigint() {
  grep -rqs "received signal 2" "$WORK/children"
}

# The file's duration in seconds, as ffprobe reads its container.
media_duration() {
  ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 "$1"
}

# The file's streams as "codec_type:codec_name" words, sorted.
media_streams() {
  ffprobe -v error -show_entries stream=codec_type,codec_name -of csv=p=0 "$1" |
    awk -F, '{ print $2 ":" $1 }' | sort | tr '\n' ' '
}

# expect_playable FILE MIN MAX: a finished MP4 with H.264 video and AAC audio that decodes from
# start to end without an error, lasting between MIN and MAX seconds.
expect_playable() {
  local file=$1 min=$2 max=$3 duration streams errors
  [ -s "$file" ] || fail "no output file $file"
  duration=$(media_duration "$file") || fail "ffprobe cannot read $file"
  streams=$(media_streams "$file")
  note "$(basename "$file"): duration ${duration} s, streams: $streams"
  [ "$streams" = "audio:aac video:h264 " ] || fail "unexpected streams in $file: $streams"
  awk -v d="$duration" -v lo="$min" -v hi="$max" 'BEGIN { exit !(d >= lo && d <= hi) }' ||
    fail "$file lasts $duration s, expected $min..$max s"
  errors=$(ffmpeg -nostdin -v error -i "$file" -f null - 2>&1) || fail "$file does not decode"
  [ -z "$errors" ] || fail "$file decodes with errors: $errors"
}

e2e_pass() {
  note "passed"
}
