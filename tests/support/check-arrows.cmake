# cmake -DSOURCE=<source dir> -P check-arrows.cmake
# The house's arrows point one way: each folder includes only from the folders below it,
# and the floors the web edition and the Python module stand on include no Qt. Fails
# with every include that points the wrong way.
cmake_minimum_required(VERSION 3.25)

# Folder: the project folders its files may include from (itself always).
set(may_number_text "")
set(may_flight number_text)
set(may_platform number_text)
set(may_res platform number_text)
set(may_ui flight platform res number_text)
set(may_json_text number_text)
set(may_range flight json_text number_text)
set(no_qt number_text flight json_text)

set(wrong "")
foreach(folder number_text json_text flight platform res ui range)
  file(GLOB_RECURSE files "${SOURCE}/${folder}/*.h" "${SOURCE}/${folder}/*.cpp" "${SOURCE}/${folder}/*.in")
  if(NOT files)
    message(SEND_ERROR "no sources under ${SOURCE}/${folder}")
  endif()
  foreach(file ${files})
    file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${includes})
      if(line MATCHES "#[ \t]*include[ \t]*\"([a-z_]+)/")
        set(to "${CMAKE_MATCH_1}")
        if(NOT to STREQUAL folder AND NOT to IN_LIST may_${folder})
          list(APPEND wrong "${file}: ${line}")
        endif()
      elseif(folder IN_LIST no_qt AND line MATCHES "#[ \t]*include[ \t]*<Q")
        list(APPEND wrong "${file}: ${line} (no Qt here)")
      endif()
    endforeach()
  endforeach()
endforeach()

if(wrong)
  list(JOIN wrong "\n  " text)
  message(FATAL_ERROR "includes against the arrows:\n  ${text}")
endif()
