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
  # Test programs run under Wine, in a prefix kept inside the build folder, within one session
  # (a Wine server and a virtual display) per test run.
  set(TAGMOOR_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(TAGMOOR_WINE_LOST_LOG ${CMAKE_BINARY_DIR}/wine-lost.log)
  set(TAGMOOR_WINE_SESSION ${CMAKE_BINARY_DIR}/wine-session)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-session.in ${TAGMOOR_WINE_SESSION} @ONLY)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
endif()

# Float-to-integer conversions out of range are undefined too, but not part of "undefined".
# With clang the same objects also carry libFuzzer's coverage, so the sanitized tests and the
# fuzz targets are linked from one build. Line tables are all the sanitizers' reports need.
set(TAGMOOR_FUZZ OFF)
if(TAGMOOR_SANITIZE)
  set(sanitizers -fsanitize=address,undefined,float-cast-overflow)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    set(TAGMOOR_FUZZ ON)
    add_compile_options(-fsanitize=fuzzer-no-link)
  endif()
  add_compile_options(${sanitizers} -fno-sanitize-recover=all -fno-omit-frame-pointer -gline-tables-only)
  add_link_options(${sanitizers})
  # Tests that limit the address space cannot run beside the sanitizers' shadow memory.
  add_compile_definitions(TAGMOOR_SANITIZED)
  set(CMAKE_C_FLAGS_RELEASE "-O1 -DNDEBUG")
  set(CMAKE_CXX_FLAGS_RELEASE "-O1 -DNDEBUG")
endif()

# -O3 brings GCC 12's false -Wrestrict reports on std::string; -O2 is what we measure with.
if(NOT TAGMOOR_SANITIZE)
  set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG")
  set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG")
endif()

set(TAGMOOR_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wformat=2 -Werror)

# Our own targets get the strict warnings; third-party code built here keeps its own.
function(tagmoor_warnings target)
  target_compile_options(${target} PRIVATE ${TAGMOOR_WARNINGS})
endfunction()

# A GoogleTest program with the tests' support library; how it runs is its caller's. Its sources
# are compiled together, so that GoogleTest's headers are read once a program rather than once a
# file (they took about two thirds of the tests' compile time); fixtures in unnamed namespaces
# are then "in a header" to GCC, hence no subobject-linkage warning.
function(tagmoor_test_program name)
  add_executable(${name} ${ARGN})
  tagmoor_warnings(${name})
  set_target_properties(${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 0)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${name} PRIVATE -Wno-subobject-linkage)
  endif()
  target_link_libraries(${name} PRIVATE tagmoor_test_support GTest::gtest_main)
endfunction()

# A GoogleTest program registered as one CTest test; cross builds run it under the emulator.
function(tagmoor_test name)
  tagmoor_test_program(${name} ${ARGN})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "TAGMOOR_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data")
  tagmoor_under_wine(${name})
endfunction()

# A GoogleTest program that opens windows: Windows builds only, run on the session's virtual
# display. Such tests take turns, as they share the display's pointer and keyboard focus; the
# toolkit's file dialogs load the Windows spooler, so they also keep clear of the print tests.
function(tagmoor_window_test name)
  if(NOT WIN32)
    return()
  endif()
  tagmoor_test_program(${name} ${ARGN})
  add_test(NAME ${name} COMMAND ${TAGMOOR_WINE_SESSION} run ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "TAGMOOR_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data" RESOURCE_LOCK "display;wine_spooler")
  tagmoor_under_wine(${name})
endfunction()

# The Wine session around the tests of a Windows build: CTest starts it before the first test
# that runs under Wine and stops it after the last, also when only some tests are chosen.
if(CMAKE_CROSSCOMPILING)
  add_test(NAME wine_session_start COMMAND ${TAGMOOR_WINE_SESSION} start)
  add_test(NAME wine_session_stop COMMAND ${TAGMOOR_WINE_SESSION} stop)
  set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine_session)
  set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine_session)
endif()

# Marks tests of the calling folder as running under Wine, within the session.
function(tagmoor_under_wine)
  if(CMAKE_CROSSCOMPILING)
    set_tests_properties(${ARGN} PROPERTIES FIXTURES_REQUIRED wine_session)
  endif()
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
  tagmoor_under_wine(${name})
endfunction()
