# The user guide: typeset at build time from its text source and pictures by a tool of ours.
#
# kx_add_user_guide(<program>) makes the typesetting libraries (kx_guide_markup, also fuzzed, and
# kx_guide_pictures), the tool kx_guide_pdf and the target kx_user_guide, which writes the guide
# into the programs' folder under the file name the application strings give
# (USER_GUIDE_FILE_NAME); building <program> builds the guide. Records its path in
# KX_USER_GUIDE_PDF. Call after kx_add_editor_face().

function(kx_add_user_guide program)
  pkg_check_modules(KX_GUIDE_CAIRO REQUIRED IMPORTED_TARGET cairo)
  add_library(kx_guide_markup STATIC ${PROJECT_SOURCE_DIR}/tools/guide_pdf/GuideMarkup.cpp)
  target_include_directories(kx_guide_markup PUBLIC ${PROJECT_SOURCE_DIR}/tools/guide_pdf)
  add_library(kx_guide_pictures STATIC ${PROJECT_SOURCE_DIR}/tools/guide_pdf/GuidePictures.cpp)
  target_link_libraries(kx_guide_pictures PUBLIC kx_guide_markup PkgConfig::KX_GUIDE_CAIRO)
  add_executable(kx_guide_pdf ${PROJECT_SOURCE_DIR}/tools/guide_pdf/GuidePdf.cpp)
  target_link_libraries(kx_guide_pdf PRIVATE kx_guide_pictures)

  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${KX_EDITOR_STRINGS_SOURCE})
  file(READ ${KX_EDITOR_STRINGS_SOURCE} _strings)
  if(NOT _strings MATCHES "<String ID=\"USER_GUIDE_FILE_NAME\">[ \t\r\n]*<Locale LCID=\"0x0009\">([^<]+)</Locale>")
    message(FATAL_ERROR "USER_GUIDE_FILE_NAME is missing from ${KX_EDITOR_STRINGS_SOURCE}")
  endif()
  set(_guide_pdf "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${CMAKE_MATCH_1}")
  set(_guide_source ${PROJECT_SOURCE_DIR}/docs/guide/UserGuide.txt)
  file(GLOB _guide_images CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/guide/images/*.png)
  add_custom_command(
    OUTPUT ${_guide_pdf}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:kx_guide_pdf> ${_guide_source} ${_guide_pdf}
    DEPENDS kx_guide_pdf ${_guide_source} ${_guide_images}
    COMMENT "Typesetting the user guide"
    VERBATIM)
  add_custom_target(kx_user_guide ALL DEPENDS ${_guide_pdf})
  # The Help menu opens it from the program's folder.
  add_dependencies(${program} kx_user_guide)
  set(KX_USER_GUIDE_PDF ${_guide_pdf} CACHE INTERNAL "The built user guide")
endfunction()
