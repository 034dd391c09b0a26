# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# A dialogue program: <name>_method (its texts, defaults and reduction, from <Source>.cpp), the executable,
# and its tests: the transcripts in transcripts/, run in-process and through the built program.
function(add_dialogue_program name source)
  add_library(${name}_method ${source}.cpp)
  target_include_directories(${name}_method PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name}_method PUBLIC dialogue PRIVATE project_warnings)

  add_executable(${name} main.cpp)
  target_link_libraries(${name} PRIVATE ${name}_method project_warnings)
  install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  if(BUILD_TESTING)
    add_executable(${name}_tests test/${source}Test.cpp)
    target_link_libraries(${name}_tests PRIVATE ${name}_method project_warnings GTest::gtest_main)
    target_include_directories(${name}_tests PRIVATE ${PROJECT_SOURCE_DIR}/dialogue/test)
    target_compile_definitions(${name}_tests PRIVATE TRANSCRIPTS="${CMAKE_CURRENT_SOURCE_DIR}/transcripts")
    gtest_discover_tests(${name}_tests)
    add_transcript_tests(${name} ${CMAKE_CURRENT_SOURCE_DIR}/transcripts)
  endif()
endfunction()
