# The bodies of the fuzz targets as plain functions (fuzz_entries.h), in a library that
# both the libFuzzer targets (fuzz/CMakeLists.txt, fuzz preset) and the replay test of the
# committed inputs (tests/app/fuzz_replay_test.cpp, every build with tests) link. The engine
# targets run on the fakes of the test support code.
add_library(fenno_fuzz_entries STATIC
  ${CMAKE_CURRENT_LIST_DIR}/fuzz_entries.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/engine_rig.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/recording_prompt.cpp)
target_include_directories(fenno_fuzz_entries
  PUBLIC ${CMAKE_CURRENT_LIST_DIR}
  PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(fenno_fuzz_entries PUBLIC fenno_plain)
