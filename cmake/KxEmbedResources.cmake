# kx_embed_resources(<target> <type> [<directory-or-file>...] [NAMED <name> <file>]...)
#
# Compiles files into <target> as resources of <type> ("GDIPLUS" for images, "KXXML" for
# documents), found at run time through KX::FindEmbeddedResource (kx/Resources.h), which the
# target must link (kx_render).
#   - a directory embeds every file below it, named by its path relative to the directory;
#   - a file is named by its file name;
#   - NAMED <name> <file> gives the name itself.
# Derived names are upper case with "." and blanks replaced by "_" and "/" between folders, as
# the program derives them from "::" paths: "Images/Knob Small.png" -> IMAGES/KNOB_SMALL_PNG.
# Files may be outputs of custom commands. Two resources of one type and name in one target
# stop the configuration.
set(_KX_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/embed_resources.cmake)

function(_kx_resource_name out path)
  string(TOUPPER "${path}" _name)
  string(REPLACE "\\" "/" _name "${_name}")
  string(REGEX REPLACE "[. ]" "_" _name "${_name}")
  set(${out} "${_name}" PARENT_SCOPE)
endfunction()

function(kx_embed_resources target type)
  if(NOT TARGET ${target})
    message(FATAL_ERROR "kx_embed_resources: no target ${target}")
  endif()
  string(TOUPPER "${type}" type)
  if(NOT type MATCHES "^[A-Z0-9_]+$")
    message(FATAL_ERROR "kx_embed_resources: bad resource type \"${type}\"")
  endif()

  # Pairs of name and absolute path.
  set(_names "")
  set(_paths "")
  set(_args ${ARGN})
  list(LENGTH _args _count)
  set(_i 0)
  while(_i LESS _count)
    list(GET _args ${_i} _arg)
    if(_arg STREQUAL "NAMED")
      math(EXPR _last "${_i} + 2")
      if(NOT _last LESS _count)
        message(FATAL_ERROR "kx_embed_resources: NAMED needs a name and a file")
      endif()
      math(EXPR _j "${_i} + 1")
      list(GET _args ${_j} _name)
      list(GET _args ${_last} _file)
      get_filename_component(_file "${_file}" ABSOLUTE)
      string(TOUPPER "${_name}" _name)
      list(APPEND _names "${_name}")
      list(APPEND _paths "${_file}")
      math(EXPR _i "${_i} + 3")
      continue()
    endif()
    get_filename_component(_item "${_arg}" ABSOLUTE)
    if(IS_DIRECTORY "${_item}")
      file(GLOB_RECURSE _files CONFIGURE_DEPENDS LIST_DIRECTORIES false "${_item}/*")
      list(SORT _files)
      foreach(_file IN LISTS _files)
        file(RELATIVE_PATH _rel "${_item}" "${_file}")
        _kx_resource_name(_name "${_rel}")
        list(APPEND _names "${_name}")
        list(APPEND _paths "${_file}")
      endforeach()
    else()
      get_filename_component(_base "${_item}" NAME)
      _kx_resource_name(_name "${_base}")
      list(APPEND _names "${_name}")
      list(APPEND _paths "${_item}")
    endif()
    math(EXPR _i "${_i} + 1")
  endwhile()

  # One name per type and target, over every call for the target.
  get_property(_taken TARGET ${target} PROPERTY KX_EMBEDDED_RESOURCE_NAMES)
  set(_manifest "")
  set(_n 0)
  foreach(_name _path IN ZIP_LISTS _names _paths)
    if(_name STREQUAL "" OR _name MATCHES "[;\n\r]" OR _path MATCHES "[;\n\r]")
      message(FATAL_ERROR "kx_embed_resources: cannot embed \"${_path}\" as \"${_name}\"")
    endif()
    if("${type}|${_name}" IN_LIST _taken)
      message(FATAL_ERROR "kx_embed_resources: ${target} has two ${type} resources named ${_name} (the second is ${_path})")
    endif()
    list(APPEND _taken "${type}|${_name}")
    string(APPEND _manifest "${type}\n${_name}\n${_path}\n")
    math(EXPR _n "${_n} + 1")
  endforeach()
  set_property(TARGET ${target} PROPERTY KX_EMBEDDED_RESOURCE_NAMES "${_taken}")

  # Each call generates one source file, compiled into the target itself (so that the linker
  # keeps it: its table registers itself before main).
  get_property(_calls TARGET ${target} PROPERTY KX_EMBEDDED_RESOURCE_CALLS)
  if(NOT _calls)
    set(_calls 0)
  endif()
  math(EXPR _calls "${_calls} + 1")
  set_property(TARGET ${target} PROPERTY KX_EMBEDDED_RESOURCE_CALLS ${_calls})

  set(_dir ${CMAKE_CURRENT_BINARY_DIR}/kx_resources)
  set(_stem ${_dir}/${target}_${_calls})
  file(WRITE ${_stem}.manifest.new "${_manifest}")
  file(COPY_FILE ${_stem}.manifest.new ${_stem}.manifest ONLY_IF_DIFFERENT)
  add_custom_command(
    OUTPUT ${_stem}.cpp
    COMMAND ${CMAKE_COMMAND} -DMANIFEST=${_stem}.manifest -DOUTPUT=${_stem}.cpp -P ${_KX_EMBED_SCRIPT}
    DEPENDS ${_paths} ${_stem}.manifest ${_KX_EMBED_SCRIPT}
    COMMENT "Embedding ${_n} ${type} resources into ${target}"
    VERBATIM)
  # The rule lives in this directory; the target may be defined in another one.
  add_custom_target(${target}_resources_${_calls} DEPENDS ${_stem}.cpp)
  add_dependencies(${target} ${target}_resources_${_calls})
  get_target_property(_target_dir ${target} SOURCE_DIR)
  set_source_files_properties(${_stem}.cpp DIRECTORY ${_target_dir} PROPERTIES GENERATED TRUE)
  target_sources(${target} PRIVATE ${_stem}.cpp)
endfunction()
