# The one suppression file (tools/leak-suppressions.txt) built into a program of the
# AddressSanitizer build as its __lsan_default_suppressions, so that it exits 0 at a normal end.
set(_kx_leak_file ${CMAKE_SOURCE_DIR}/tools/leak-suppressions.txt)
set(_kx_leak_source ${CMAKE_BINARY_DIR}/generated/kx_leak_suppressions.cpp)
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_kx_leak_file})
if("address" IN_LIST KX_SANITIZE)
  file(STRINGS ${_kx_leak_file} _kx_leak_lines REGEX "^leak:")
  set(_kx_leak_text "")
  foreach(_line IN LISTS _kx_leak_lines)
    string(APPEND _kx_leak_text "\"${_line}\\n\"\n           ")
  endforeach()
  file(CONFIGURE OUTPUT ${_kx_leak_source} CONTENT
"// Generated from tools/leak-suppressions.txt.
extern \"C\" const char* __lsan_default_suppressions()
{
    return ${_kx_leak_text};
}
")
endif()

function(kx_leak_suppressions target)
  if("address" IN_LIST KX_SANITIZE)
    target_sources(${target} PRIVATE ${_kx_leak_source})
  endif()
endfunction()
