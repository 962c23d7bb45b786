# Host build: the logic linked with the recording double, unit tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the fuzz targets.

set(MIVO_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
target_compile_options(mivo_logic PRIVATE ${MIVO_SANITIZE})

add_library(platform_double STATIC platform/double/platform_double.cpp)
target_include_directories(platform_double PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(platform_double PRIVATE ${MIVO_WARNINGS} ${MIVO_SANITIZE})

# One file a line, in alphabetical order.
add_executable(host_tests
  tests/host/backup_about_test.cpp
  tests/host/build_test.cpp
  tests/host/configuration_test.cpp
  tests/host/debug_log_test.cpp
  tests/host/run_test.cpp
  tests/host/script_test.cpp
  tests/host/shell_test.cpp
  tests/host/test_support.cpp
  tests/host/tools_test.cpp
  app/main.cpp
)
target_link_libraries(host_tests PRIVATE mivo_logic platform_double GTest::gtest_main)
target_compile_options(host_tests PRIVATE ${MIVO_WARNINGS} ${MIVO_SANITIZE})
target_link_options(host_tests PRIVATE ${MIVO_SANITIZE})
gtest_discover_tests(host_tests PROPERTIES LABELS host DISCOVERY_MODE POST_BUILD)


# The conversion package's script compiler (lexer, preprocessor, statements
# and the .res format) and the binder's program-image check build for the
# host too, for the fuzz targets: the binder and the programs stay Windows-only.
add_library(mivo_package_rc_host STATIC
  package/res/res_file.cpp
  package/res/res_layout.cpp
  package/res/res_reader.cpp
  package/res/res_image_files.cpp
  package/res/pe_image.cpp
  package/rc/rc_tokens.cpp
  package/rc/rc_diagnostics.cpp
  package/rc/rc_literals.cpp
  package/rc/rc_expression.cpp
  package/rc/rc_files.cpp
  package/rc/rc_codepage.cpp
  package/rc/rc_codepage_portable.cpp
  package/rc/preprocess/rc_conditions.cpp
  package/rc/preprocess/rc_macro_define.cpp
  package/rc/preprocess/rc_pascal.cpp
  package/rc/preprocess/rc_macros.cpp
  package/rc/preprocess/rc_preprocess.cpp
  package/rc/rc_symbols.cpp
  package/rc/rc_parser.cpp
  package/rc/rc_statements.cpp
  package/rc/rc_data.cpp
  package/rc/rc_menu.cpp
  package/rc/rc_dialog.cpp
  package/rc/rc_strings.cpp
  package/rc/rc_version.cpp
  package/rc/rc_compile.cpp
  package/rc/writer/rc_writer.cpp
  package/rc/writer/rc_writer_forms.cpp
  package/rc/writer/rc_writer_files.cpp
  package/rc/writer/rc_writer_kinds.cpp
)
include(${CMAKE_SOURCE_DIR}/package/rc/symbols.cmake)
mivo_package_symbols(mivo_package_rc_host)
target_include_directories(mivo_package_rc_host PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(mivo_package_rc_host PRIVATE ${MIVO_WARNINGS} ${MIVO_SANITIZE})

add_subdirectory(tests/fuzz)
