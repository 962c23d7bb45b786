# Host build: the logic linked with the recording double, unit tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the fuzz targets.

set(MIVO_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
target_compile_options(mivo_logic PRIVATE ${MIVO_SANITIZE})

add_library(platform_double STATIC platform/double/platform_double.cpp)
target_include_directories(platform_double PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(platform_double PRIVATE ${MIVO_WARNINGS} ${MIVO_SANITIZE})

file(GLOB HOST_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/host/*.cpp)
add_executable(host_tests ${HOST_TEST_SOURCES} ${CMAKE_SOURCE_DIR}/app/main.cpp)
target_link_libraries(host_tests PRIVATE mivo_logic platform_double GTest::gtest_main)
target_compile_options(host_tests PRIVATE ${MIVO_WARNINGS} ${MIVO_SANITIZE})
target_link_options(host_tests PRIVATE ${MIVO_SANITIZE})
gtest_discover_tests(host_tests PROPERTIES LABELS host DISCOVERY_MODE POST_BUILD)

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/fuzz/CMakeLists.txt)
  add_subdirectory(tests/fuzz)
endif()
