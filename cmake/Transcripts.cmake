# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# One test per transcript: <case>.in is fed to the built program, its output must equal <case>.out byte for byte.
# A case whose name ends in -utf8 runs in a UTF-8 locale, every other one in the C locale (the DOS code page).
function(add_transcript_tests program directory)
  file(GLOB inputs CONFIGURE_DEPENDS ${directory}/*.in)
  foreach(input IN LISTS inputs)
    get_filename_component(case ${input} NAME_WE)
    set(locale C)
    if(case MATCHES "-utf8$")
      set(locale C.UTF-8)
    endif()
    add_test(NAME ${program}.transcript.${case}
             COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}> -DLOCALE=${locale}
                     -DINPUT=${input} -DEXPECTED=${directory}/${case}.out
                     -DACTUAL=${CMAKE_CURRENT_BINARY_DIR}/${case}.actual
                     -P ${PROJECT_SOURCE_DIR}/cmake/RunTranscript.cmake)
  endforeach()
endfunction()
