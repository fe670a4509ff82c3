# Native build: the pure core, its unit tests under ASan/UBSan, and fuzzers.
set(SAN_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
if(NOT CLIPNOOK_FUZZ)
  target_compile_options(clipnook_core PRIVATE ${SAN_FLAGS})
  target_link_options(clipnook_core PUBLIC -fsanitize=address,undefined)

  find_package(GTest QUIET)
  if(NOT GTest_FOUND)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()

  # One executable per test file, so one subsystem's tests build and run alone.
  # GoogleTest's header takes longer to read than most test files: the first
  # test compiles it once and the others reuse it.
  file(GLOB HOST_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/host/*_test.cpp)
  unset(pch_owner)
  foreach(t ${HOST_TESTS})
    get_filename_component(name ${t} NAME_WE)
    add_executable(host_${name} ${t})
    target_compile_options(host_${name} PRIVATE ${SAN_FLAGS})
    if(pch_owner)
      target_precompile_headers(host_${name} REUSE_FROM ${pch_owner})
    else()
      target_precompile_headers(host_${name} PRIVATE <gtest/gtest.h>)
      set(pch_owner host_${name})
    endif()
    target_link_libraries(host_${name} PRIVATE clipnook_core GTest::gtest_main)
    target_link_options(host_${name} PRIVATE -fsanitize=address,undefined)
    add_test(NAME host_${name} COMMAND host_${name})
    set_tests_properties(host_${name} PROPERTIES ENVIRONMENT
      "ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
  endforeach()
else()
  # libFuzzer targets: one per parser or writer, all from tests/fuzz/fuzz.cpp,
  # each seeded from tests/fuzz/corpus/<name>.
  set(FUZZ_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_compile_options(clipnook_core PRIVATE ${FUZZ_FLAGS})
  foreach(name array dib formatetc formats hexdump_text snapshot uiform)
    add_executable(${name}_fuzz ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz.cpp)
    target_compile_definitions(${name}_fuzz PRIVATE FUZZ_TARGET=fuzz_${name})
    target_compile_options(${name}_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name}_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name}_fuzz PRIVATE clipnook_core)
  endforeach()
endif()

# Benchmarks of the pure core (no sanitizers would distort them, so they get
# their own un-instrumented copy of the core). Not part of the default build:
# bench/run_all.sh builds them by name.
file(GLOB BENCHES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_bench.cpp)
if(BENCHES AND NOT CLIPNOOK_FUZZ)
  add_library(clipnook_core_bench STATIC EXCLUDE_FROM_ALL ${CORE_SOURCES})
  target_include_directories(clipnook_core_bench PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(clipnook_core_bench PUBLIC Threads::Threads)
  target_compile_options(clipnook_core_bench PRIVATE -O2)
  foreach(b ${BENCHES})
    get_filename_component(name ${b} NAME_WE)
    add_executable(${name} EXCLUDE_FROM_ALL ${b})
    target_compile_options(${name} PRIVATE -O2)
    target_link_libraries(${name} PRIVATE clipnook_core_bench)
  endforeach()
endif()
