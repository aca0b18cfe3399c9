# Test executables: GoogleTest natively from the system package, and for
# MinGW built from the packaged sources inside this build. Windows tests run
# under Wine in a prefix kept inside the build tree.

set(SV_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix")
# Wine sees the host's root as drive Z:: prefix host paths that a test program
# is given with this.
set(SV_HOST_ROOT "")
if(WIN32)
  set(SV_HOST_ROOT "Z:")
endif()
set(SV_RUN_WINDOWS_TESTS OFF)
if(WIN32 AND CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(SV_RUN_WINDOWS_TESTS ON)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_SOURCE_DIR}/tests/support/wine-run")
endif()

macro(sv_setup_gtest)
  if(NOT TARGET GTest::gtest_main)
    if(WIN32)
      set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
      set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
      # Defines the GTest::gtest and GTest::gtest_main aliases itself.
      add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
      add_library(sv_test_main STATIC ${PROJECT_SOURCE_DIR}/tests/support/TestMain.cpp)
      target_link_libraries(sv_test_main PUBLIC GTest::gtest)
    else()
      find_package(GTest REQUIRED)
    endif()
  endif()
  # Under Wine, the tests' own main, which wine-run understands.
  if(WIN32)
    set(SV_GTEST_MAIN sv_test_main)
  else()
    set(SV_GTEST_MAIN GTest::gtest_main)
  endif()
endmacro()

# sv_add_test(<name> SOURCES ... [LIBS ...] [LOCKS ...] [TIMEOUT s])
# One CTest test per executable: under Wine each start costs about a second,
# so cases are grouped inside the executable rather than discovered one by one.
function(sv_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LOCKS" ${ARGN})
  sv_setup_gtest()
  add_executable(${name} ${T_SOURCES})
  sv_warnings(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${SV_GTEST_MAIN})
  if(WIN32)
    target_link_libraries(${name} PRIVATE sv_test_support)
    if(NOT SV_RUN_WINDOWS_TESTS)
      return()
    endif()
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_LOCKS)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_LOCKS}")
  endif()
  if(WIN32)
    set_tests_properties(${name} PROPERTIES
      ENVIRONMENT "WINEPREFIX=${SV_WINEPREFIX};WINEDEBUG=-all;SV_TEST_BIN=${CMAKE_BINARY_DIR}"
      FIXTURES_REQUIRED wineprefix)
  endif()
endfunction()

# sv_add_fuzz_replay(<name> TARGETS <fuzz target>... [LIBS ...] [TIMEOUT s])
# One test running fuzz/targets/<target>.cpp over every file of
# fuzz/corpus/<target>/ for each target (fuzz/CorpusReplay.cpp).
function(sv_add_fuzz_replay name)
  cmake_parse_arguments(R "" "TIMEOUT" "TARGETS;LIBS" ${ARGN})
  set(sources ${PROJECT_SOURCE_DIR}/fuzz/CorpusReplay.cpp)
  set(targets "")
  foreach(target ${R_TARGETS})
    set(source ${PROJECT_SOURCE_DIR}/fuzz/targets/${target}.cpp)
    # Each entry point gets its own name so that all link together.
    set_source_files_properties(${source} PROPERTIES COMPILE_DEFINITIONS LLVMFuzzerTestOneInput=SvFuzz_${target})
    list(APPEND sources ${source})
    string(APPEND targets "SV_REPLAY(${target})")
  endforeach()
  sv_add_test(${name} SOURCES ${sources} LIBS ${R_LIBS} TIMEOUT ${R_TIMEOUT})
  target_compile_definitions(${name} PRIVATE
    SV_CORPUS_DIR="${SV_HOST_ROOT}${PROJECT_SOURCE_DIR}/fuzz/corpus" "SV_REPLAY_TARGETS=${targets}")
endfunction()

if(SV_RUN_WINDOWS_TESTS)
  add_test(NAME wine-prefix COMMAND "${CMAKE_SOURCE_DIR}/tests/support/wine-init" $<TARGET_FILE:sv_probe>)
  set_tests_properties(wine-prefix PROPERTIES
    ENVIRONMENT "WINEPREFIX=${SV_WINEPREFIX};WINEDEBUG=-all"
    FIXTURES_SETUP wineprefix TIMEOUT 300)
  # After the last Wine test: the desktop's holder goes, and the server with
  # it half a minute later.
  add_test(NAME wine-prefix-release
    COMMAND "${CMAKE_SOURCE_DIR}/tests/support/wine-run" $<TARGET_FILE:sv_probe> releasedesktop)
  set_tests_properties(wine-prefix-release PROPERTIES
    ENVIRONMENT "WINEPREFIX=${SV_WINEPREFIX};WINEDEBUG=-all"
    FIXTURES_CLEANUP wineprefix TIMEOUT 60)
endif()
