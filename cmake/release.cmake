# The release: one ZIP a Windows user unpacks at the root of a drive. It holds
# the tree the utility uses when its INI names no tool, so C:\ gives a working
# install with no configuration:
#
#   VORN/MivoConvert/MivoCompile.exe, README.txt
#   VORN/MivoConvert/Mivokestrix/KestRix.exe
#   VORN/MivoConvert/Tools/Sarvex.exe
#   VORN/MivoConvert/Bc4/bin/brc32.exe
#   VORN/MivoConvert/Samples/Sample.rc
#
#   cmake --build --preset windows --target package
#     writes out/windows/MivoCompile-<version>-win64.zip
#
# The version is the version record's file version, read from the header the
# About box and the record share, so it is written down once.

set(MIVO_IDS_HEADER ${CMAKE_SOURCE_DIR}/resources/resource_ids.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${MIVO_IDS_HEADER})
file(STRINGS ${MIVO_IDS_HEADER} MIVO_FILE_VERSION_LINE REGEX "^#define[ \t]+MIVO_FILE_VERSION[ \t]")
if(NOT MIVO_FILE_VERSION_LINE MATCHES "([0-9]+)[ \t]*,[ \t]*([0-9]+)[ \t]*,[ \t]*([0-9]+)[ \t]*,[ \t]*([0-9]+)")
  message(FATAL_ERROR "no MIVO_FILE_VERSION a,b,c,d in ${MIVO_IDS_HEADER}")
endif()
set(MIVO_RELEASE_VERSION "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${CMAKE_MATCH_3}.${CMAKE_MATCH_4}")
set(MIVO_RELEASE_ARCHIVE_NAME "MivoCompile-${MIVO_RELEASE_VERSION}-win64")
set(MIVO_RELEASE_ARCHIVE "${CMAKE_BINARY_DIR}/${MIVO_RELEASE_ARCHIVE_NAME}.zip")

# Only the component "release" goes into the archive, whatever else may install.
set(MIVO_INSTALL_ROOT VORN/MivoConvert)
set(MIVO_RELEASE_PROGRAMS
  MivoCompile ${MIVO_INSTALL_ROOT}
  KestRix     ${MIVO_INSTALL_ROOT}/Mivokestrix
  Sarvex      ${MIVO_INSTALL_ROOT}/Tools
  brc32       ${MIVO_INSTALL_ROOT}/Bc4/bin
)
while(MIVO_RELEASE_PROGRAMS)
  list(POP_FRONT MIVO_RELEASE_PROGRAMS program destination)
  install(TARGETS ${program} RUNTIME DESTINATION ${destination} COMPONENT release)
endwhile()
install(FILES ${CMAKE_SOURCE_DIR}/release/README.txt DESTINATION ${MIVO_INSTALL_ROOT} COMPONENT release)
install(FILES ${CMAKE_SOURCE_DIR}/package/sample/Sample.rc
        DESTINATION ${MIVO_INSTALL_ROOT}/Samples COMPONENT release)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME MivoCompile)
set(CPACK_PACKAGE_VENDOR VORN)
set(CPACK_PACKAGE_VERSION ${MIVO_RELEASE_VERSION})
set(CPACK_PACKAGE_FILE_NAME ${MIVO_RELEASE_ARCHIVE_NAME})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)  # VORN\ at the archive's root
set(CPACK_COMPONENTS_ALL release)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)   # one archive, no component suffix
set(CPACK_STRIP_FILES ON)                  # no symbol tables in what ships
set(CPACK_SOURCE_GENERATOR "")
include(CPack)

# The archive alone, for the run command: the four programs, then CPack, and
# none of the tests or benchmarks that the package target builds first.
#   cmake --build --preset windows --target release_zip
add_custom_target(release_zip
  COMMAND ${CMAKE_CPACK_COMMAND} --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Writing ${MIVO_RELEASE_ARCHIVE_NAME}.zip"
  VERBATIM USES_TERMINAL)
add_dependencies(release_zip MivoCompile KestRix Sarvex brc32)
