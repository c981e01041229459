# Extra libraries of the rendering layer. Included by the top-level CMakeLists when present.
find_package(PkgConfig REQUIRED)

# FreeType for glyphs; fontconfig only to list the font folders.
pkg_check_modules(KX_RENDER_FT REQUIRED IMPORTED_TARGET freetype2 fontconfig)
target_link_libraries(kx_render PUBLIC PkgConfig::KX_RENDER_FT)

# Embedded resources: kx_embed_resources(<target> <type> ...) for the programs (tools/).
include(${CMAKE_SOURCE_DIR}/tools/KxEmbedResources.cmake)
# The render tests' own resources, once the tests folder has made render_tests.
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL include ${CMAKE_SOURCE_DIR}/tests/render/resources/TestResources.cmake)

# OpenGL renderer: OSMesa first, so that its GL entry points serve GLU and our own calls.
pkg_check_modules(KX_RENDER_GL REQUIRED IMPORTED_TARGET osmesa glu gl)
target_link_libraries(kx_render PUBLIC PkgConfig::KX_RENDER_GL)
