# The release's publisher rule (cmake/package-publisher.cmake), row by row: each row configures
# the rule in a cmake of its own and is judged by how that ends and what it says.
#
#   cmake -DMODULE=cmake/package-publisher.cmake -P package_publisher_test.cmake
#
# A row runs this same script with ROW_ORIGIN, ROW_PUBLISHER and ROW_UNSIGNED set.
cmake_minimum_required(VERSION 3.25)
if(DEFINED ROW_ORIGIN)
  include(${MODULE})
  inkvane_check_package_publisher(${ROW_ORIGIN} https://www.varnix.example "${ROW_PUBLISHER}"
                                  ${ROW_UNSIGNED})
  return()
endif()

set(vendor https://www.vendor.example)
# what | origin | publisher | unsigned | ends | what it must say ("" for nothing at all)
set(rows
  "another origin, no publisher|${vendor}||OFF|stops|INetCache.*only the publisher's signature tells"
  "another origin, said to be unsigned|${vendor}||ON|configures|Warning.*INKVANE_UNSIGNED_PACKAGE is ON"
  "another origin and its publisher|${vendor}|Vendor Software Ltd|OFF|configures|"
  "a publisher and said to be unsigned|${vendor}|Vendor Software Ltd|ON|stops|not both"
  "the default origin needs neither|https://www.varnix.example||OFF|configures|"
)
set(failures 0)
foreach(row IN LISTS rows)
  string(REPLACE "|" ";" row "${row}")
  list(POP_FRONT row what origin publisher unsigned ends says)
  execute_process(COMMAND ${CMAKE_COMMAND} -DMODULE=${MODULE} -DROW_ORIGIN=${origin}
                          "-DROW_PUBLISHER=${publisher}" -DROW_UNSIGNED=${unsigned}
                          -P ${CMAKE_CURRENT_LIST_FILE}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  string(REGEX REPLACE "[ \n]+" " " flat "${output}")  # the messages are wrapped
  set(ended stops)
  if(result EQUAL 0)
    set(ended configures)
  endif()
  if(NOT ended STREQUAL ends)
    set(fault "it ${ended}")
  elseif(says STREQUAL "" AND NOT output STREQUAL "")
    set(fault "it said something")
  elseif(NOT flat MATCHES "${says}")
    set(fault "it did not say '${says}'")
  else()
    message("ok: ${what}")
    continue()
  endif()
  message("FAILED: ${what}: ${fault}; its output:\n${output}")
  math(EXPR failures "${failures} + 1")
endforeach()
if(failures)
  message(FATAL_ERROR "${failures} row(s) failed")
endif()
