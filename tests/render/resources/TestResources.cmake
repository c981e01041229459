# Resources compiled into render_tests: images and a document written at build time by
# MakeTestImages, plus the documents under docs/. Run at the end of the top-level directory
# (deferred by src/framework/render/render_deps.cmake), once render_tests exists.
if(TARGET render_tests AND TARGET kx_platform_graphics AND COMMAND kx_embed_resources)
  set(_kx_dir ${CMAKE_BINARY_DIR}/test_resources/render)
  add_executable(kx_make_test_images ${CMAKE_SOURCE_DIR}/tests/render/resources/MakeTestImages.cpp)
  target_link_libraries(kx_make_test_images PRIVATE kx_platform_graphics)
  add_custom_command(
    OUTPUT "${_kx_dir}/Solid 2x3.png" "${_kx_dir}/Images/Knob Small.png" "${_kx_dir}/Truncated.png"
           "${_kx_dir}/Test Doc.xml"
    COMMAND kx_make_test_images ${_kx_dir}
    DEPENDS kx_make_test_images
    COMMENT "Writing the render test images"
    VERBATIM)
  kx_embed_resources(render_tests GDIPLUS "${_kx_dir}/Solid 2x3.png" "${_kx_dir}/Truncated.png"
                     NAMED IMAGES/KNOB_SMALL_PNG "${_kx_dir}/Images/Knob Small.png")
  kx_embed_resources(render_tests KXXML ${CMAKE_SOURCE_DIR}/tests/render/resources/docs
                     NAMED APP_TEST_DOC "${_kx_dir}/Test Doc.xml")
  target_include_directories(render_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/render/resources)
endif()
