# The portable parts built for the host: the theme library, the frame layout, velum-check, unit
# tests, a benchmark
# and, with clang, the fuzzer. Under clang everything also runs with AddressSanitizer and
# UndefinedBehaviorSanitizer, so the tests and the checker catch memory faults, not just wrong answers.

option(VELUM_SANITIZE "Build the native targets with ASan and UBSan (clang only)" ON)
option(VELUM_WERROR "Treat warnings in the native targets as errors" OFF)
set(VELUM_GTEST_DIR "/usr/src/googletest" CACHE PATH "GoogleTest source tree")

set(VELUM_CLANG OFF)
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  set(VELUM_CLANG ON)
endif()

set(VELUM_WARNINGS
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Wold-style-cast
  -Wnon-virtual-dtor -Woverloaded-virtual -Wnull-dereference -Wformat=2 -Wimplicit-fallthrough)
if(VELUM_WERROR)
  list(APPEND VELUM_WARNINGS -Werror)
endif()

add_library(velum_native_options INTERFACE)
target_compile_options(velum_native_options INTERFACE ${VELUM_WARNINGS})
if(VELUM_CLANG AND VELUM_SANITIZE)
  set(VELUM_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=undefined)
  target_compile_options(velum_native_options INTERFACE ${VELUM_SANITIZERS} -fno-omit-frame-pointer)
  target_link_options(velum_native_options INTERFACE ${VELUM_SANITIZERS})
endif()

add_library(velum_theme STATIC ${VELUM_THEME_SOURCES})
target_include_directories(velum_theme PUBLIC ${PROJECT_SOURCE_DIR}/engine ${PROJECT_SOURCE_DIR}/engine/core)
target_link_libraries(velum_theme PRIVATE velum_native_options)

add_library(velum_layout STATIC engine/core/FrameLayout.cpp engine/core/WindowCorners.cpp)
target_link_libraries(velum_layout PUBLIC velum_theme PRIVATE velum_native_options)

# Which system control a class name and a style describe.
add_library(velum_controls STATIC engine/core/ControlKinds.cpp engine/core/ControlPalette.cpp engine/core/SystemColours.cpp
  engine/core/PartColours.cpp engine/core/Contrast.cpp engine/core/ContrastReport.cpp)
target_include_directories(velum_controls PUBLIC ${PROJECT_SOURCE_DIR}/engine/core)
target_link_libraries(velum_controls PUBLIC velum_theme PRIVATE velum_native_options)

add_executable(velum-check engine/VelumCheck.cpp)
target_link_libraries(velum-check PRIVATE velum_controls velum_theme velum_native_options)

# The artwork of the image themes in Skin/, drawn from code; scripts/make-theme-art.sh runs it.
add_executable(theme-art tools/theme-art/ThemeArt.cpp)
target_include_directories(theme-art SYSTEM PRIVATE ${VELUM_STB_DIR})
target_link_libraries(theme-art PRIVATE velum_native_options)

# Not a test: speed is measured, never asserted. Build a Release tree for meaningful numbers.
add_executable(theme_bench tests/native/ThemeFileBench.cpp)
target_link_libraries(theme_bench PRIVATE velum_theme velum_native_options)

# Unit tests.
set(VELUM_HAVE_GTEST OFF)
if(EXISTS "${VELUM_GTEST_DIR}/CMakeLists.txt")
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory("${VELUM_GTEST_DIR}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
  set(VELUM_GTEST_MAIN gtest_main)
  set(VELUM_HAVE_GTEST ON)
else()
  find_package(GTest)
  if(GTest_FOUND)
    set(VELUM_GTEST_MAIN GTest::gtest_main)
    set(VELUM_HAVE_GTEST ON)
  else()
    message(WARNING "GoogleTest not found at ${VELUM_GTEST_DIR}: theme_tests is not built")
  endif()
endif()

if(VELUM_HAVE_GTEST)
  include(GoogleTest)
  add_executable(theme_tests tests/native/ThemeFileTest.cpp tests/native/ThemeLoadTest.cpp tests/native/ThemeDocsTest.cpp
    tests/native/ThemeImagesTest.cpp tests/images/PngWriter.cpp)
  set_source_files_properties(tests/images/PngWriter.cpp PROPERTIES COMPILE_OPTIONS "-isystem;${VELUM_STB_DIR}")
  target_link_libraries(theme_tests PRIVATE velum_theme velum_native_options ${VELUM_GTEST_MAIN})
  target_compile_definitions(theme_tests PRIVATE VELUM_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  target_include_directories(theme_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  gtest_discover_tests(theme_tests DISCOVERY_MODE PRE_TEST)

  add_executable(layout_tests tests/native/FrameLayoutTest.cpp tests/native/WindowCornersTest.cpp)
  target_link_libraries(layout_tests PRIVATE velum_layout velum_native_options ${VELUM_GTEST_MAIN})
  gtest_discover_tests(layout_tests DISCOVERY_MODE PRE_TEST)

  add_executable(control_kinds_tests tests/native/ControlKindsTest.cpp tests/native/ControlPaletteTest.cpp
    tests/native/PartColoursTest.cpp tests/native/ContrastReportTest.cpp)
  target_link_libraries(control_kinds_tests PRIVATE velum_controls velum_native_options ${VELUM_GTEST_MAIN})
  target_compile_definitions(control_kinds_tests PRIVATE VELUM_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(control_kinds_tests DISCOVERY_MODE PRE_TEST)
endif()

# velum-check over the shipped themes (must pass) and known-bad files (must fail with status 1).
file(GLOB VELUM_SKINS CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/Skin/*.vlm")
file(GLOB VELUM_BROKEN CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/tests/native/broken/*.vlm")
set(VELUM_EXPECT_EXIT "${PROJECT_SOURCE_DIR}/tests/native/ExpectExit.cmake")

# The README's layout table names every folder and every module of the tree.
add_test(NAME readme_layout COMMAND bash ${PROJECT_SOURCE_DIR}/tests/readme-layout.sh ${PROJECT_SOURCE_DIR})
# scripts/setup.sh against a package mirror being synchronised, with a fake apt-get.
add_test(NAME setup_apt_update COMMAND bash ${PROJECT_SOURCE_DIR}/tests/setup-apt.sh)

add_test(NAME velum_check.skins COMMAND velum-check --strict ${VELUM_SKINS})
foreach(broken IN LISTS VELUM_BROKEN)
  get_filename_component(stem "${broken}" NAME_WE)
  add_test(NAME velum_check.rejects.${stem}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:velum-check> "-DARGS=${broken}"
            -DEXPECT=1 "-DSTDERR=: error: " -P "${VELUM_EXPECT_EXIT}")
endforeach()
add_test(NAME velum_check.good_and_bad_together
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:velum-check>
          "-DARGS=${PROJECT_SOURCE_DIR}/Skin/velum.vlm|${PROJECT_SOURCE_DIR}/tests/native/broken/bad-colour.vlm"
          -DEXPECT=1 "-DSTDOUT=velum.vlm: OK" -P "${VELUM_EXPECT_EXIT}")
add_test(NAME velum_check.control_section_in_a_scheme
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:velum-check>
          "-DARGS=${PROJECT_SOURCE_DIR}/tests/native/broken/control-scheme-colour.vlm"
          -DEXPECT=1 "-DSTDERR=control-scheme-colour.vlm:11:10: error: '#3A66A' is not a colour" -P "${VELUM_EXPECT_EXIT}")
add_test(NAME velum_check.missing_file
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:velum-check> "-DARGS=no-such-theme.vlm"
          -DEXPECT=1 "-DSTDERR=no-such-theme.vlm: error: no such file" -P "${VELUM_EXPECT_EXIT}")
# Contrast: a warning passes unless --strict makes it an error; a note stays a note.
set(VELUM_POOR "${PROJECT_SOURCE_DIR}/tests/native/poor-contrast.vlm")
set(VELUM_POOR_INACTIVE "${PROJECT_SOURCE_DIR}/tests/native/poor-contrast-inactive.vlm")
add_test(NAME velum_check.contrast_warns
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:velum-check> "-DARGS=${VELUM_POOR}" -DEXPECT=0
          "-DSTDERR=poor-contrast.vlm:7:8: warning: caption text #C0C0C0 on #A0A0A0 reads 1.43:1, text needs 4.5:1"
          -P "${VELUM_EXPECT_EXIT}")
add_test(NAME velum_check.strict_fails_on_contrast
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:velum-check> "-DARGS=--strict|${VELUM_POOR}" -DEXPECT=1
          "-DSTDERR=poor-contrast.vlm:7:8: error: caption text" -P "${VELUM_EXPECT_EXIT}")
add_test(NAME velum_check.strict_keeps_notes
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:velum-check> "-DARGS=--strict|${VELUM_POOR_INACTIVE}" -DEXPECT=0
          "-DSTDERR=poor-contrast-inactive.vlm:7:8: note: inactive caption text" -P "${VELUM_EXPECT_EXIT}")
add_test(NAME velum_check.no_arguments
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:velum-check> -DEXPECT=2 "-DSTDERR=usage:"
          -P "${VELUM_EXPECT_EXIT}")
add_test(NAME velum_check.unknown_option
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:velum-check> "-DARGS=--frobnicate"
          -DEXPECT=2 "-DSTDERR=unknown option" -P "${VELUM_EXPECT_EXIT}")

# libFuzzer needs clang. The fuzzed code is compiled once more, apart from the unit tests' copy, so
# it carries coverage instrumentation, and optimised whatever the build type: under the sanitizers
# an -O0 build runs about a quarter as many inputs a second. The fuzzers share that one copy. New
# inputs land in the build tree, never in the seeds.
if(VELUM_CLANG)
  set(VELUM_FUZZ_FLAGS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
  set(VELUM_FUZZED_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined)
  add_library(velum_theme_fuzzed OBJECT ${VELUM_THEME_SOURCES})
  target_include_directories(velum_theme_fuzzed PRIVATE ${PROJECT_SOURCE_DIR}/engine ${PROJECT_SOURCE_DIR}/engine/core)
  target_compile_options(velum_theme_fuzzed PRIVATE ${VELUM_WARNINGS} ${VELUM_FUZZED_FLAGS} -O2 -gline-tables-only
                                                    -fno-omit-frame-pointer)
  set(VELUM_FUZZ_WORK "${CMAKE_BINARY_DIR}/fuzz-corpus")
  set(VELUM_FUZZ_SEEDS "${PROJECT_SOURCE_DIR}/tests/fuzz/corpus" "${PROJECT_SOURCE_DIR}/Skin")
  set(VELUM_FUZZ_DICT "${PROJECT_SOURCE_DIR}/tests/fuzz/theme.dict")

  # velum_fuzzer(name source max_len seconds [seed folders...]): the fuzzer and its short run in
  # the test suite, from the shared seeds and any of its own.
  function(velum_fuzzer name source max_len seconds)
    add_executable(${name} ${source} $<TARGET_OBJECTS:velum_theme_fuzzed>)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/engine ${PROJECT_SOURCE_DIR}/engine/core)
    target_compile_options(${name} PRIVATE ${VELUM_WARNINGS} ${VELUM_FUZZ_FLAGS} -O2 -gline-tables-only
                                           -fno-omit-frame-pointer)
    target_link_options(${name} PRIVATE ${VELUM_FUZZ_FLAGS})
    file(MAKE_DIRECTORY "${VELUM_FUZZ_WORK}/${name}")
    add_test(NAME ${name}.short_run
      COMMAND ${name} -max_total_time=${seconds} -timeout=10 -rss_limit_mb=2048 -max_len=${max_len}
              -dict=${VELUM_FUZZ_DICT} "${VELUM_FUZZ_WORK}/${name}" ${VELUM_FUZZ_SEEDS} ${ARGN})
  endfunction()

  # The parser alone; 64 KiB is far past any line or section limit it has.
  velum_fuzzer(theme_fuzz tests/fuzz/ThemeFileFuzz.cpp 65536 12)
  # The engine's read, scheme check and error text, with files up to the cap and a little past it.
  math(EXPR VELUM_LOAD_MAX_LEN "1024 * 1024 + 64")
  velum_fuzzer(theme_load_fuzz tests/fuzz/ThemeLoadFuzz.cpp ${VELUM_LOAD_MAX_LEN} 8)
  # A theme and an image file in one input: decoding, the caps, and the cuts the theme names.
  velum_fuzzer(theme_image_fuzz tests/fuzz/ThemeImageFuzz.cpp 65536 8 "${PROJECT_SOURCE_DIR}/tests/fuzz/images")
endif()
