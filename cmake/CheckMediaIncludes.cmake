# Fails when a source in media/ (or swf/) includes a header of a layer above
# it: the conversion or a front end. The interfaces the media side implements
# for the conversion live in media/ itself.
# Usage: cmake -DROOT=<source tree> -P CheckMediaIncludes.cmake
cmake_minimum_required(VERSION 3.25)

get_filename_component(ROOT "${ROOT}" REALPATH)
file(GLOB_RECURSE sources "${ROOT}/media/*.cpp" "${ROOT}/media/*.h" "${ROOT}/swf/*.cpp" "${ROOT}/swf/*.h")
if(NOT sources)
  message(FATAL_ERROR "no sources under ${ROOT}")
endif()
set(problems "")
foreach(path IN LISTS sources)
  file(STRINGS "${path}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"(convert|cli|ui)/")
  foreach(line IN LISTS lines)
    file(RELATIVE_PATH shown "${ROOT}" "${path}")
    string(STRIP "${line}" line)
    list(APPEND problems "${shown}: ${line}")
  endforeach()
endforeach()
if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "Lower layers including upper ones:\n  ${text}")
endif()
list(LENGTH sources count)
message(STATUS "${count} files checked, no upper layer included")
