# Windows build: MivoCompile.exe, the conversion-package stand-ins, and the
# win32 and e2e test layers (run through Wine by the cross-compiling emulator).

enable_language(RC)
# One static program file: no MinGW runtime DLLs to carry around.
add_link_options(-static -static-libgcc -static-libstdc++)

add_library(platform_win32 STATIC platform/win32/platform_win32.cpp)
target_include_directories(platform_win32 PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(platform_win32 PRIVATE ${MIVO_WARNINGS})
target_link_libraries(platform_win32 PUBLIC comdlg32 user32 gdi32 kernel32)

add_executable(MivoCompile WIN32 app/main.cpp resources/MivoCompile.rc)
target_compile_options(MivoCompile PRIVATE ${MIVO_WARNINGS})
target_link_libraries(MivoCompile PRIVATE mivo_logic platform_win32)
set_target_properties(MivoCompile PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

add_subdirectory(package)

# One file a line, in alphabetical order.
add_executable(win32_tests
  tests/win32/package_binder_test.cpp
  tests/win32/package_brc32_test.cpp
  tests/win32/package_kestrix_live_test.cpp
  tests/win32/package_kestrix_preview_test.cpp
  tests/win32/package_kestrix_test.cpp
  tests/win32/package_kestrix_walk_test.cpp
  tests/win32/package_rc_compile_test.cpp
  tests/win32/package_rc_faults_test.cpp
  tests/win32/package_rc_switches_test.cpp
  tests/win32/package_res_file_test.cpp
  tests/win32/package_res_reader_test.cpp
  tests/win32/package_res_roundtrip_test.cpp
  tests/win32/package_script_roundtrip_test.cpp
  tests/win32/package_tools_test.cpp
  tests/win32/platform_test.cpp
  tests/win32/version_record_test.cpp
  # The checker's findings (plain code) beside the compiler, for the faulty-script table.
  package/sarvex/sarvex_findings.cpp
)
target_link_libraries(win32_tests PRIVATE platform_win32 mivo_package kestrix_plain GTest::gtest_main version)
target_compile_options(win32_tests PRIVATE ${MIVO_WARNINGS})
target_compile_definitions(win32_tests PRIVATE
  MIVO_BIN_DIR="${CMAKE_BINARY_DIR}/bin" MIVO_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
  MIVO_COMPAT_IMAGES="${CMAKE_BINARY_DIR}/tests/compat/images")
# The round-trip test compiles the compatibility scripts, with the images they name.
add_dependencies(win32_tests MivoCompile compat_inputs)
# The damaged templates a built program is tried with, made afresh by a script.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_target(kestrix_damaged COMMAND ${Python3_EXECUTABLE}
  ${CMAKE_SOURCE_DIR}/tests/win32/data/make_kestrix_damaged.py ${CMAKE_BINARY_DIR}/bin/kestrix_damaged)
add_dependencies(win32_tests kestrix_damaged)
set_target_properties(win32_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
gtest_discover_tests(win32_tests PROPERTIES LABELS win32 RUN_SERIAL TRUE DISCOVERY_MODE PRE_TEST
                     DISCOVERY_TIMEOUT 120)

add_subdirectory(tests/e2e)
add_subdirectory(tests/compat)
include(cmake/release.cmake)
add_subdirectory(tests/release)

# Benchmarks (run by the scripts in bench/, never by CTest).
add_executable(bench_log_cost bench/log_cost.cpp resources/MivoCompile.rc)
target_link_libraries(bench_log_cost PRIVATE mivo_logic platform_win32)
set_target_properties(bench_log_cost PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
add_subdirectory(bench)
