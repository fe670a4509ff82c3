# MinGW-w64 build: the program, the tests that run under Wine, e2e helpers.
set(WIN_LIBS user32 gdi32 comctl32 comdlg32 ole32 oleaut32 uuid shell32 advapi32 shlwapi)
set(STATIC_RUNTIME -static -static-libgcc -static-libstdc++)
add_compile_definitions(UNICODE _UNICODE WINVER=0x0601 _WIN32_WINNT=0x0601 _WIN32_IE=0x0600 NOMINMAX)

# Every non-core source of src/ except the entry point makes up the Win32 part,
# linked both into the program and into the Wine tests.
file(GLOB_RECURSE WIN_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.cpp)
list(FILTER WIN_SOURCES EXCLUDE REGEX "_core\\.cpp$")
list(FILTER WIN_SOURCES EXCLUDE REGEX "/src/app/winmain\\.cpp$")
add_library(clipnook_win STATIC ${WIN_SOURCES})
target_link_libraries(clipnook_win PUBLIC clipnook_core ${WIN_LIBS})
# Reading the platform headers costs more than compiling our code: once per build.
target_precompile_headers(clipnook_win PRIVATE ${CMAKE_SOURCE_DIR}/src/base/win_pch.h)

# The manifest takes its version from the one place the version lives.
file(STRINGS ${CMAKE_SOURCE_DIR}/src/base/version.h VERSION_LINES REGEX "#define CLIPNOOK_VERSION_M")
string(REGEX REPLACE ".*MAJOR ([0-9]+).*" "\\1" VERSION_MAJOR "${VERSION_LINES}")
string(REGEX REPLACE ".*MINOR ([0-9]+).*" "\\1" VERSION_MINOR "${VERSION_LINES}")
set(CLIPNOOK_MANIFEST_VERSION "${VERSION_MAJOR}.0.${VERSION_MINOR}.0")
configure_file(${CMAKE_SOURCE_DIR}/resources/clipnook.manifest.in ${CMAKE_BINARY_DIR}/generated/clipnook.manifest @ONLY)

set(RC_FILE ${CMAKE_SOURCE_DIR}/resources/clipnook.rc)
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_BINARY_DIR}/generated -I${CMAKE_SOURCE_DIR}/resources -I${CMAKE_SOURCE_DIR}/src")

add_executable(clipnook WIN32 ${CMAKE_SOURCE_DIR}/src/app/winmain.cpp ${RC_FILE})
target_link_libraries(clipnook PRIVATE clipnook_win)
target_precompile_headers(clipnook REUSE_FROM clipnook_win)
target_link_options(clipnook PRIVATE ${STATIC_RUNTIME} -mwindows)
set_target_properties(clipnook PROPERTIES OUTPUT_NAME clipnook RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

if(CLIPNOOK_WIN_TESTS)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # Test code needs neither the optimiser nor debug information, and without
  # them it compiles in a third of the time; the program's code it links keeps
  # the build type's flags.
  set(TEST_FLAGS -O0 -g0)
  target_compile_options(gtest PRIVATE ${TEST_FLAGS})

  # The entry point every Wine test shares, and the headers every test file
  # reads (the platform and GoogleTest), compiled once for all of them.
  add_library(win_test_main STATIC ${CMAKE_SOURCE_DIR}/tests/win/win_test_main.cpp)
  target_include_directories(win_test_main PUBLIC ${CMAKE_SOURCE_DIR}/tests/win)
  target_link_libraries(win_test_main PUBLIC clipnook_win gtest)
  target_compile_options(win_test_main PUBLIC ${TEST_FLAGS})
  target_precompile_headers(win_test_main PRIVATE ${CMAKE_SOURCE_DIR}/src/base/win_pch.h <gtest/gtest.h>)

  # A DLL beside the test programs only: after start-up a load by name must miss it.
  add_library(planted_dll SHARED ${CMAKE_SOURCE_DIR}/tests/win/planted_dll.cpp)
  set_target_properties(planted_dll PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  target_link_options(planted_dll PRIVATE ${STATIC_RUNTIME})

  # One executable and one CTest test per file: a Wine start per file, not per case.
  file(GLOB WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*_test.cpp)
  foreach(t ${WIN_TESTS})
    get_filename_component(name ${t} NAME_WE)
    add_executable(win_${name} ${t} ${RC_FILE})
    target_link_libraries(win_${name} PRIVATE win_test_main)
    target_precompile_headers(win_${name} REUSE_FROM win_test_main)
    target_link_options(win_${name} PRIVATE ${STATIC_RUNTIME})
    add_dependencies(win_${name} planted_dll)
    add_test(NAME win_${name} COMMAND win_${name})
    set_tests_properties(win_${name} PROPERTIES RUN_SERIAL TRUE TIMEOUT 300)
  endforeach()

  # The layout at 150 %: the same cases in a second prefix whose screen has 144 DPI,
  # on an X display of its own: two Wine sessions on one display share its
  # selections and desktop, and the second one's end must not touch the first.
  add_test(NAME win_app_test_144dpi
    COMMAND env -u CLIPNOOK_WINE_SESSION -u WINEPREFIX -u DISPLAY CLIPNOOK_WINE_DPI=144 CLIPNOOK_EXPECT_DPI=144
            ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh $<TARGET_FILE:win_app_test> --gtest_filter=HighDpi.*)
  set_tests_properties(win_app_test_144dpi PROPERTIES RUN_SERIAL TRUE TIMEOUT 300)

  # Helper programs the end-to-end tests use to act as other applications.
  file(GLOB E2E_HELPERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
  foreach(h ${E2E_HELPERS})
    get_filename_component(name ${h} NAME_WE)
    add_executable(${name} ${h})
    target_link_libraries(${name} PRIVATE ${WIN_LIBS})
    target_precompile_headers(${name} REUSE_FROM clipnook_win)
    target_link_options(${name} PRIVATE ${STATIC_RUNTIME})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/e2e)
  endforeach()

  # End-to-end scripts drive the real clipnook.exe from outside.
  file(GLOB E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/test_*.py)
  foreach(t ${E2E_TESTS})
    get_filename_component(name ${t} NAME_WE)
    add_test(NAME e2e_${name} COMMAND python3 ${t})
    set_tests_properties(e2e_${name} PROPERTIES RUN_SERIAL TRUE TIMEOUT 600
      ENVIRONMENT "CLIPNOOK_BUILD=${CMAKE_BINARY_DIR};CLIPNOOK_SOURCE=${CMAKE_SOURCE_DIR}")
  endforeach()
endif()

# Portable package: build/dist/clipnook-<version>-<arch>.zip (exe and a short text).
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(DIST_ARCH x64)
else()
  set(DIST_ARCH x86)
endif()
add_custom_target(dist
  COMMAND python3 ${CMAKE_SOURCE_DIR}/scripts/package.py $<TARGET_FILE:clipnook>
          ${CMAKE_SOURCE_DIR}/src/base/version.h ${CMAKE_SOURCE_DIR}/build/dist ${DIST_ARCH} ${CMAKE_STRIP}
  DEPENDS clipnook
  COMMENT "Packing clipnook ${DIST_ARCH}")

# Benchmarks under Wine (not tests, never in CTest): bench/win/<name>_bench.cpp
# -> bench/<name>_bench.exe, plus the minimal window program the start-up
# benchmark measures clipnook.exe against. Driven by bench/run_all.sh.
file(GLOB WIN_BENCHES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/win/*_bench.cpp)
foreach(b ${WIN_BENCHES})
  get_filename_component(name ${b} NAME_WE)
  add_executable(${name} EXCLUDE_FROM_ALL ${b} ${RC_FILE})
  target_link_libraries(${name} PRIVATE clipnook_win)
  target_link_options(${name} PRIVATE ${STATIC_RUNTIME})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endforeach()
if(EXISTS ${CMAKE_SOURCE_DIR}/bench/win/minimal_window.cpp)
  add_executable(minimal_window WIN32 EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/win/minimal_window.cpp)
  target_link_libraries(minimal_window PRIVATE user32 gdi32)
  target_link_options(minimal_window PRIVATE ${STATIC_RUNTIME} -mwindows)
  set_target_properties(minimal_window PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endif()
