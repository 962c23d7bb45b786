# mivo_package_symbols(<target>): makes rc_symbols_table.inc,
# rc_strings_table.inc and rc_functions_table.inc for the compiler library <target> from the MinGW-w64
# headers (make_symbols.py), and rc_embedded_files.inc with the text of the
# SDK files scripts include for statements (make_embedded.py), in the build
# tree, and lets <target> include them. Used by the Windows and the host build.

set(MIVO_MINGW_INCLUDE /usr/share/mingw-w64/include CACHE PATH "MinGW-w64 headers the compiler's constants come from")
find_package(Python3 REQUIRED COMPONENTS Interpreter)

function(mivo_package_symbols target)
  set(headers winresrc.h winuser.rh winuser.h commctrl.rh commctrl.h winnt.h winver.h dlgs.h
      richedit.h wingdi.h prsht.h)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_symbols)
  set(table ${dir}/rc_symbols_table.inc ${dir}/rc_strings_table.inc ${dir}/rc_functions_table.inc)
  set(inputs)
  # Read for their function-like macros only (make_symbols.py).
  foreach(h ${headers} winnt.rh tchar.h)
    list(APPEND inputs ${MIVO_MINGW_INCLUDE}/${h})
  endforeach()
  set(script ${CMAKE_SOURCE_DIR}/package/rc/make_symbols.py)
  add_custom_command(OUTPUT ${table}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${Python3_EXECUTABLE} ${script} ${MIVO_MINGW_INCLUDE} ${dir} ${headers}
    DEPENDS ${script} ${inputs}
    COMMENT "Making the compiler's constant table from the MinGW-w64 headers"
    VERBATIM)
  set(embedded_names common.ver ntverp.h)
  set(embedded_inputs)
  foreach(h ${embedded_names})
    list(APPEND embedded_inputs ${MIVO_MINGW_INCLUDE}/${h})
  endforeach()
  set(embedded ${dir}/rc_embedded_files.inc)
  set(embed_script ${CMAKE_SOURCE_DIR}/package/rc/make_embedded.py)
  add_custom_command(OUTPUT ${embedded}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${Python3_EXECUTABLE} ${embed_script} ${MIVO_MINGW_INCLUDE} ${embedded} ${embedded_names}
    DEPENDS ${embed_script} ${embedded_inputs}
    COMMENT "Embedding common.ver and ntverp.h from the MinGW-w64 headers"
    VERBATIM)
  target_sources(${target} PRIVATE ${table} ${embedded})
  target_include_directories(${target} PRIVATE ${dir})
endfunction()
