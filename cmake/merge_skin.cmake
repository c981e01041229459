# Writes a skin document from its frame, replacing each line "<!--#include <file>-->" with that
# file of the frame's folder.
#   cmake -DFRAME=<frame.xml> -DOUTPUT=<document.xml> -P merge_skin.cmake
cmake_minimum_required(VERSION 3.25)

if(NOT FRAME OR NOT OUTPUT)
  message(FATAL_ERROR "merge_skin: FRAME and OUTPUT are required")
endif()
get_filename_component(_folder "${FRAME}" DIRECTORY)
file(READ "${FRAME}" _document)
string(REGEX MATCHALL "<!--#include [^>]*-->" _includes "${_document}")
foreach(_include IN LISTS _includes)
  string(REGEX REPLACE "<!--#include ([^>]*)-->" "\\1" _name "${_include}")
  if(NOT _name MATCHES "^[A-Za-z0-9_.-]+$" OR NOT EXISTS "${_folder}/${_name}")
    message(FATAL_ERROR "merge_skin: ${FRAME} includes \"${_name}\", which is not a file beside it")
  endif()
  file(READ "${_folder}/${_name}" _fragment)
  string(REPLACE "${_include}" "${_fragment}" _document "${_document}")
endforeach()
file(WRITE "${OUTPUT}.new" "${_document}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
