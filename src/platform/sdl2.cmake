# SDL2 for the platform stand-ins (the clipboard now; windows and input later).
# Include from the top-level CMakeLists.txt, anywhere after project(): the link is made once
# every target exists.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET GLOBAL sdl2)

function(_kx_link_sdl2)
  if(TARGET kx_platform)
    target_link_libraries(kx_platform PUBLIC PkgConfig::SDL2)
    target_compile_definitions(kx_platform PUBLIC KX_HAVE_SDL2=1)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _kx_link_sdl2)
