# kx_check_source_lists(<folder>...)
#
# Each library lists its sources by name. Stops the configuration when a .cpp file below one of
# the folders is in no target's list (a file added and forgotten would otherwise just not be
# built, or fail at link time far from the cause). Call after the folders' targets exist.

function(_kx_listed_sources dir out)
  set(_listed "")
  get_property(_targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(_target IN LISTS _targets)
    get_target_property(_sources ${_target} SOURCES)
    get_target_property(_source_dir ${_target} SOURCE_DIR)
    foreach(_source IN LISTS _sources)
      cmake_path(ABSOLUTE_PATH _source BASE_DIRECTORY ${_source_dir} NORMALIZE)
      list(APPEND _listed ${_source})
    endforeach()
  endforeach()
  get_property(_subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(_subdir IN LISTS _subdirs)
    _kx_listed_sources(${_subdir} _more)
    list(APPEND _listed ${_more})
  endforeach()
  set(${out} ${_listed} PARENT_SCOPE)
endfunction()

function(kx_check_source_lists)
  _kx_listed_sources(${PROJECT_SOURCE_DIR} _listed)
  foreach(_folder IN LISTS ARGN)
    # Read at every configuration; a new file is found when CMake next runs.
    file(GLOB_RECURSE _present ${PROJECT_SOURCE_DIR}/${_folder}/*.cpp)
    foreach(_file IN LISTS _present)
      if(NOT _file IN_LIST _listed)
        file(RELATIVE_PATH _rel ${PROJECT_SOURCE_DIR} ${_file})
        message(FATAL_ERROR "${_rel} is in no target's source list: add it to its folder's CMakeLists.txt")
      endif()
    endforeach()
  endforeach()
endfunction()
