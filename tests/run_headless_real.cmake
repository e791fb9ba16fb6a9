# Runs the headless driver on the real platform with the fake child program (FAKE_CHILD) as the
# tool's ffmpeg.exe: a recording of a pulled stream is started and stopped, and the driver's
# output, the child's report and the child's output log are checked.
#
#   cmake -DDRIVER=... -DFAKE_CHILD=... -DWORK=... -P run_headless_real.cmake
cmake_minimum_required(VERSION 3.25)

# Waits, up to a generous limit, until FILE holds a line equal to LINE.
function(wait_for_line file line)
  foreach(attempt RANGE 200)
    if(EXISTS "${file}")
      file(STRINGS "${file}" lines ENCODING UTF-8)
      if(line IN_LIST lines)
        return()
      endif()
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 0.1)
  endforeach()
  set(found "")
  if(EXISTS "${file}")
    file(READ "${file}" found)
  endif()
  message(FATAL_ERROR "no line '${line}' in ${file}:\n${found}")
endfunction()

function(expect_match text regex what)
  if(NOT text MATCHES "${regex}")
    message(FATAL_ERROR "${what}: no match for ${regex} in:\n${text}")
  endif()
endfunction()

file(REMOVE_RECURSE "${WORK}")
set(folder "${WORK}/folder")
file(MAKE_DIRECTORY "${folder}")
file(CREATE_LINK "${FAKE_CHILD}" "${folder}/ffmpeg.exe" SYMBOLIC)
set(report "${WORK}/child-report.txt")
set(ENV{MORVANE_FAKE_CHILD_LOG} "${report}")
set(url "rtmp://127.0.0.1:9/lumo/zhibo")

file(WRITE "${WORK}/script.txt" "tab 1
click 单选框rtmp
set 编辑框_推流地址 ${url}
click 按钮_开始录制
wait 2
print commands
print processes
print windows
click 按钮_停止录制
wait 3
print processes
print windows
print 按钮_开始录制
print 按钮_停止录制
print log
")

execute_process(
  COMMAND "${DRIVER}" --dir "${folder}" --child-output "${WORK}/children" "${WORK}/script.txt"
  OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
file(WRITE "${WORK}/output.txt" "${output}")
if(NOT status EQUAL 0 OR NOT errors STREQUAL "")
  message(FATAL_ERROR "driver exited with ${status}:\n${errors}\n--- output ---\n${output}")
endif()

# The recorder was started once, minimised, as the folder's ffmpeg.exe; while it ran it was the
# one started program and its console window the one window. After Stop both are gone.
string(REPLACE "/" "\\\\" shown_folder "${folder}")
set(recorder_args "-rw_timeout 5000000 -i ${url} -c copy -r 25 -b:v 3000k -bufsize 3000k")
string(FIND "${output}" "command: \"${shown_folder}\\\\ffmpeg.exe ${recorder_args} " at)
if(at EQUAL -1)
  message(FATAL_ERROR "the recorder's command is missing:\n${output}")
endif()
expect_match("${output}" "\\.mp4\" show=6\n" "the recorder's show mode")
string(REGEX MATCHALL "\nprocess: [0-9]+ \"ffmpeg\\.exe\"\n" processes "${output}")
string(REGEX MATCHALL "\nwindow: \"[^\n]*\"\n" windows "${output}")
list(LENGTH processes process_count)
list(LENGTH windows window_count)
if(NOT process_count EQUAL 1 OR NOT window_count EQUAL 1)
  message(FATAL_ERROR "expected one process and one window while recording only:\n${output}")
endif()
string(FIND "${output}" "window: \"${shown_folder}\\\\ffmpeg.exe\"\n" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the console window is missing:\n${output}")
endif()
expect_match("${output}" "按钮_开始录制: [^\n]* enabled=1\n按钮_停止录制: [^\n]* enabled=0\n"
             "idle buttons after Stop")
expect_match("${output}" "录制指令发出，ffmpeg.exe窗口将最小化，请勿关闭。" "the Record entry")
expect_match("${output}" "录制结束，关闭后台程序" "the Stop entry")
if(output MATCHES "录制停止")
  message(FATAL_ERROR "the watchdog reported a stop:\n${output}")
endif()

# The child got the arguments split and in UTF-8, no input, our folder as its current directory,
# and one SIGINT, on which it ended.
wait_for_line("${report}" "interrupted")
file(STRINGS "${report}" report_lines ENCODING UTF-8)
set(args "")
foreach(line IN LISTS report_lines)
  if(line MATCHES "^arg=(.*)$")
    list(APPEND args "${CMAKE_MATCH_1}")
  endif()
endforeach()
list(LENGTH args arg_count)
list(GET args 0 program)
list(GET args -1 output_name)
list(REMOVE_AT args 0 -1)
string(REPLACE ";" " " middle_args "${args}")
if(NOT program STREQUAL "${folder}/ffmpeg.exe" OR NOT middle_args STREQUAL recorder_args
   OR NOT arg_count EQUAL 14)
  message(FATAL_ERROR "unexpected arguments:\n${report_lines}")
endif()
expect_match("${output_name}" "^[0-9]+年[0-9]+月[0-9]+日([0-9]+时([0-9]+分([0-9]+秒)?)?)?\\.mp4$"
             "the output name")
foreach(line "stdin=eof" "own-group=1" "cwd=${folder}")
  if(NOT line IN_LIST report_lines)
    message(FATAL_ERROR "no '${line}' in the child's report:\n${report_lines}")
  endif()
endforeach()

# Its output went to its log in the child-output folder.
wait_for_line("${WORK}/children/001-ffmpeg.exe.log" "fake child: standard error")
