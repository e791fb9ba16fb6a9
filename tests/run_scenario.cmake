# Runs one scenario script through the headless driver on the simulated platform and compares
# what it prints with NAME.out beside the script, byte for byte.
#
# Lines of the script that start with "#! " prepare the run (the driver reads them as comments):
#   #! file: PATH     an empty file PATH (relative, "/" separated) in the tool's folder
#   #! arg: VALUE     one more command-line argument for the driver; "@SCENARIOS@" in it stands
#                     for the folder of the scenario scripts
#   #! copy: FIXTURE DEST
#                     the file tests/fixtures/settings/FIXTURE copied byte for byte into the
#                     tool's folder as DEST (relative, "/" separated), for settings files written
#                     by hand in the GBK code page
# Set MORVANE_UPDATE_GOLDEN=1 in the environment to write the output into NAME.out instead.
get_filename_component(dir "${SCRIPT}" DIRECTORY)
get_filename_component(name "${SCRIPT}" NAME_WE)
set(expected_file "${dir}/${name}.out")

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/folder")
set(args --simulate --dir "${WORK}/folder")
file(STRINGS "${SCRIPT}" directives REGEX "^#! ")
foreach(line IN LISTS directives)
  if(line MATCHES "^#! file: (.+)$")
    get_filename_component(parent "${WORK}/folder/${CMAKE_MATCH_1}" DIRECTORY)
    file(MAKE_DIRECTORY "${parent}")
    file(WRITE "${WORK}/folder/${CMAKE_MATCH_1}" "")
  elseif(line MATCHES "^#! copy: ([^ ]+) (.+)$")
    set(source "${dir}/../fixtures/settings/${CMAKE_MATCH_1}")
    set(destination "${WORK}/folder/${CMAKE_MATCH_2}")
    if(NOT EXISTS "${source}")
      message(FATAL_ERROR "no such fixture: ${source}")
    endif()
    get_filename_component(parent "${destination}" DIRECTORY)
    file(MAKE_DIRECTORY "${parent}")
    file(COPY_FILE "${source}" "${destination}")
  elseif(line MATCHES "^#! arg: (.+)$")
    string(REPLACE "@SCENARIOS@" "${dir}" value "${CMAKE_MATCH_1}")
    list(APPEND args "${value}")
  else()
    message(FATAL_ERROR "unknown directive: ${line}")
  endif()
endforeach()

execute_process(COMMAND "${DRIVER}" ${args} "${SCRIPT}"
  OUTPUT_VARIABLE actual ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT errors STREQUAL "")
  message(FATAL_ERROR "driver exited with ${status}:\n${errors}\n--- output ---\n${actual}")
endif()

if("$ENV{MORVANE_UPDATE_GOLDEN}" STREQUAL "1")
  file(WRITE "${expected_file}" "${actual}")
  return()
endif()
file(WRITE "${WORK}/actual.out" "${actual}")
file(READ "${expected_file}" expected)
if(NOT actual STREQUAL expected)
  execute_process(COMMAND diff -u "${expected_file}" "${WORK}/actual.out")
  message(FATAL_ERROR "output differs from ${expected_file}")
endif()
