# Shared build settings: warnings, sanitizers, the Windows runtime, ccache and test registration.

find_program(TAGMOOR_CCACHE ccache)
if(TAGMOOR_CCACHE)
  set(CMAKE_C_COMPILER_LAUNCHER ${TAGMOOR_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${TAGMOOR_CCACHE})
endif()

if(WIN32)
  # msvcrt's own printf does not know %zu; the mingw one does.
  add_compile_definitions(__USE_MINGW_ANSI_STDIO=1 UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

if(CMAKE_CROSSCOMPILING)
  # Test programs run under Wine, in a prefix kept inside the build folder.
  set(TAGMOOR_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(TAGMOOR_WINE_LOST_LOG ${CMAKE_BINARY_DIR}/wine-lost.log)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
endif()

# Float-to-integer conversions out of range are undefined too, but not part of "undefined".
if(TAGMOOR_SANITIZE)
  add_compile_options(-fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined,float-cast-overflow)
endif()

if(TAGMOOR_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined,float-cast-overflow -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined,float-cast-overflow)
endif()

# -O3 brings GCC 12's false -Wrestrict reports on std::string; -O2 is what we measure with.
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG")

set(TAGMOOR_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wformat=2 -Werror)

# Our own targets get the strict warnings; third-party code built here keeps its own.
function(tagmoor_warnings target)
  target_compile_options(${target} PRIVATE ${TAGMOOR_WARNINGS})
endfunction()

# A GoogleTest program with the tests' support library; how it runs is its caller's.
function(tagmoor_test_program name)
  add_executable(${name} ${ARGN})
  tagmoor_warnings(${name})
  target_link_libraries(${name} PRIVATE tagmoor_test_support GTest::gtest_main)
endfunction()

# A GoogleTest program registered as one CTest test; cross builds run it under the emulator.
function(tagmoor_test name)
  tagmoor_test_program(${name} ${ARGN})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "TAGMOOR_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data")
endfunction()

# A GoogleTest program that opens windows: Windows builds only, run on a virtual display of its
# own. Such tests share a Wine prefix apart from the others and take turns, since the display's
# Wine server is ended with each.
function(tagmoor_window_test name)
  if(NOT WIN32)
    return()
  endif()
  tagmoor_test_program(${name} ${ARGN})
  add_test(NAME ${name}
           COMMAND ${PROJECT_SOURCE_DIR}/tests/support/on-display.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
                   $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix-display;TAGMOOR_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data"
    RESOURCE_LOCK display)
endfunction()

# A test whose oracle is a program of the host (Python, netpbm...): a Python driver runs our
# tool, under the emulator when cross-compiled, and compares with the oracle.
function(tagmoor_oracle_test name script tool)
  set(emulator "")
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    set(emulator --emulator ${CMAKE_CROSSCOMPILING_EMULATOR})
  endif()
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_test(NAME ${name}
           COMMAND ${Python3_EXECUTABLE} ${script} --tool $<TARGET_FILE:${tool}> ${emulator} ${ARGN}
           WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
