# Compile options shared by every target of the project, as an interface target
# rather than global flags, so that imported libraries are left alone.
add_library(fenno_options INTERFACE)
target_compile_features(fenno_options INTERFACE cxx_std_20)
target_compile_options(fenno_options INTERFACE
  $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor>
  # GCC 12 reports overlapping copies inside libstdc++'s own std::string code when it is
  # inlined at -O2 (GCC bug 105651); the warning says nothing about our code.
  $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict>)

# Warnings fail the build where it is asked for (every preset does; CI builds the presets).
option(FENNO_WERROR "Treat compiler warnings as errors" OFF)
if(FENNO_WERROR)
  target_compile_options(fenno_options INTERFACE -Werror)
  # Under the sanitizers GCC's flow analysis reports uninitialised values inside libstdc++
  # (std::regex, std::function) that are not; the warning stays, as a warning.
  if(FENNO_SANITIZE AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(fenno_options INTERFACE -Wno-error=maybe-uninitialized)
  endif()
endif()

if(FENNO_SANITIZE)
  target_compile_options(fenno_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(fenno_options INTERFACE -fsanitize=address,undefined)
endif()

# Registers a GoogleTest binary with CTest. Tests are listed when CTest runs,
# not at build time, so a sanitizer or display problem shows up as a test failure.
# A PLATFORM test links the platform library; any other links only the plain one.
function(fenno_add_test name)
  cmake_parse_arguments(ARG "PLATFORM" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_PLATFORM)
    set(support fenno_test_support_platform fenno_test_support)
  else()
    set(support fenno_test_support)
  endif()
  target_link_libraries(${name} PRIVATE ${support} GTest::gtest GTest::gmock GTest::gtest_main
                        ${ARG_LIBS})
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES ${ARG_PROPERTIES})
endfunction()

# Every *_test.cpp file of the calling folder becomes its own test binary,
# test_<folder>_<file stem>, so that a subsystem's tests build and run independently.
# PLATFORM names the stems of the tests that need Qt, X11 or D-Bus.
function(fenno_add_test_files)
  cmake_parse_arguments(ARG "" "" "PLATFORM;LIBS;PROPERTIES" ${ARGN})
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  file(GLOB files CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  foreach(file IN LISTS files)
    get_filename_component(stem ${file} NAME_WE)
    string(REGEX REPLACE "_test$" "" stem ${stem})
    set(side "")
    if(stem IN_LIST ARG_PLATFORM)
      set(side PLATFORM)
    endif()
    fenno_add_test(test_${folder}_${stem} ${side} SOURCES ${file} LIBS ${ARG_LIBS}
                   PROPERTIES ${ARG_PROPERTIES})
  endforeach()
endfunction()
