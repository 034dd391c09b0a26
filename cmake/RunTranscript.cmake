# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# Runs PROGRAM with INPUT as standard input in LOCALE; it must end by itself within five seconds (times the
# environment's TIMEOUT_SCALE, which a sanitizer build sets) with status 0 and write exactly EXPECTED. A run takes
# milliseconds: the margin is for a machine busy with other work, where one second was seen to run out.
set(seconds 5)
if(DEFINED ENV{TIMEOUT_SCALE})
  math(EXPR seconds "5 * $ENV{TIMEOUT_SCALE}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=${LOCALE} ${PROGRAM} extra arguments are ignored
                INPUT_FILE ${INPUT}
                OUTPUT_FILE ${ACTUAL}
                RESULT_VARIABLE status
                TIMEOUT ${seconds})
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "${PROGRAM} < ${INPUT}: exit status ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${ACTUAL} ${EXPECTED} RESULT_VARIABLE differ)
if(differ)
  message(FATAL_ERROR "${ACTUAL} differs from ${EXPECTED}; compare with: cmp -l ${ACTUAL} ${EXPECTED}")
endif()
