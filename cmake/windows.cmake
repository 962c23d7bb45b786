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

if(EXISTS ${CMAKE_SOURCE_DIR}/package/CMakeLists.txt)
  add_subdirectory(package)
endif()

file(GLOB WIN32_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
if(WIN32_TEST_SOURCES)
  add_executable(win32_tests ${WIN32_TEST_SOURCES})
  target_link_libraries(win32_tests PRIVATE platform_win32 GTest::gtest_main version)
  target_compile_options(win32_tests PRIVATE ${MIVO_WARNINGS})
  if(TARGET mivo_package)
    target_link_libraries(win32_tests PRIVATE mivo_package kestrix_walkers)
  endif()
  target_compile_definitions(win32_tests PRIVATE
    MIVO_BIN_DIR="${CMAKE_BINARY_DIR}/bin" MIVO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  add_dependencies(win32_tests MivoCompile)
  # The damaged templates a built program is tried with, made afresh by a script.
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_custom_target(kestrix_damaged COMMAND ${Python3_EXECUTABLE}
    ${CMAKE_SOURCE_DIR}/tests/win32/data/make_kestrix_damaged.py ${CMAKE_BINARY_DIR}/bin/kestrix_damaged)
  add_dependencies(win32_tests kestrix_damaged)
  set_target_properties(win32_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  gtest_discover_tests(win32_tests PROPERTIES LABELS win32 RUN_SERIAL TRUE DISCOVERY_MODE PRE_TEST
                       DISCOVERY_TIMEOUT 120)
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/CMakeLists.txt)
  add_subdirectory(tests/e2e)
endif()
add_subdirectory(tests/compat)
include(cmake/release.cmake)
add_subdirectory(tests/release)

# Benchmarks (run by the scripts in bench/, never by CTest).
add_executable(bench_log_cost bench/log_cost.cpp resources/MivoCompile.rc)
target_link_libraries(bench_log_cost PRIVATE mivo_logic platform_win32)
set_target_properties(bench_log_cost PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
