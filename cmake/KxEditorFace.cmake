# The editor's face: the skin's artwork, drawn at build time by a generator of ours, and the skin
# document, merged from its fragments.
#
# kx_add_editor_face() makes the generator, the build steps and the target kx_editor_face, and
# records the merged skin (KX_EDITOR_SKIN_FILE), the UTF-8 source of the application strings
# (KX_EDITOR_STRINGS_SOURCE) and the generated images (KX_EDITOR_ART_FILES). Outputs go to the
# calling folder's build folder.
#
# kx_editor_embed_face(<target>) embeds the skin ("APP_SKINS"), the string tables ("APP_STRINGS",
# "FRAMEWORK_STRINGS") and the images into a program.

# The skin's images, by the names the skin reads them by.
set(KX_EDITOR_ART_IMAGES
    app_icon arrow_down arrow_up body check fader keybed knob pad pedal_sustain pedal_volume
    product_logo push_button switch_on tarvel_logo wheel xy_surface)

function(kx_add_editor_face)
  pkg_check_modules(KX_SKIN_ART_CAIRO REQUIRED IMPORTED_TARGET cairo)
  add_executable(kx_skin_art ${PROJECT_SOURCE_DIR}/tools/skin_art/SkinArt.cpp)
  target_link_libraries(kx_skin_art PRIVATE PkgConfig::KX_SKIN_ART_CAIRO)

  set(_art_dir ${CMAKE_CURRENT_BINARY_DIR}/skin_art)
  set(_art_files "")
  foreach(_image IN LISTS KX_EDITOR_ART_IMAGES)
    list(APPEND _art_files ${_art_dir}/${_image}.png)
  endforeach()
  add_custom_command(
    OUTPUT ${_art_files}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_art_dir}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:kx_skin_art> ${_art_dir}
    DEPENDS kx_skin_art
    COMMENT "Drawing the skin's artwork"
    VERBATIM)

  set(_skin_frame ${PROJECT_SOURCE_DIR}/resources/skins/PresetEditorSkin.xml)
  file(GLOB _skin_fragments CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/skins/*.xml)
  set(_skin_file ${CMAKE_CURRENT_BINARY_DIR}/PresetEditorSkin.xml)
  add_custom_command(
    OUTPUT ${_skin_file}
    COMMAND ${CMAKE_COMMAND} -DFRAME=${_skin_frame} -DOUTPUT=${_skin_file} -P ${PROJECT_SOURCE_DIR}/cmake/merge_skin.cmake
    DEPENDS ${_skin_fragments} ${PROJECT_SOURCE_DIR}/cmake/merge_skin.cmake
    COMMENT "Merging the editor's skin document"
    VERBATIM)
  add_custom_target(kx_editor_face DEPENDS ${_art_files} ${_skin_file})

  set(KX_EDITOR_SKIN_FILE ${_skin_file} CACHE INTERNAL "The merged skin document")
  set(KX_EDITOR_STRINGS_SOURCE ${PROJECT_SOURCE_DIR}/resources/strings/PresetEditorStrings.utf8.xml
      CACHE INTERNAL "The application strings, UTF-8 source")
  set(KX_EDITOR_ART_FILES "${_art_files}" CACHE INTERNAL "The generated skin images")
endfunction()

function(kx_editor_embed_face target)
  kx_embed_resources(${target} KXXML
                     NAMED APP_SKINS ${KX_EDITOR_SKIN_FILE}
                     NAMED APP_STRINGS ${PROJECT_SOURCE_DIR}/resources/strings/PresetEditorStrings.xml
                     NAMED FRAMEWORK_STRINGS ${PROJECT_SOURCE_DIR}/resources/strings/FrameworkStrings.xml)
  kx_embed_resources(${target} GDIPLUS ${KX_EDITOR_ART_FILES})
  add_dependencies(${target} kx_editor_face)
endfunction()
