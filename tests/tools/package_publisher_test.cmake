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
  "another origin, no publisher|${vendor}||OFF|stops|only the publisher's signature tells"
  "another origin, said to be unsigned|${vendor}||ON|configures|Warning.*INKVANE_UNSIGNED_PACKAGE is ON"
  "another origin and its publisher|${vendor}|Vendor Software Ltd|OFF|configures|"
  "a publisher and said to be unsigned|${vendor}|Vendor Software Ltd|ON|stops|not both"
  "the default origin needs neither|https://www.varnix.example||OFF|configures|"
)
set(failures 0)
foreach(row IN LISTS rows)
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 what)
  list(GET row 1 origin)
  list(GET row 2 publisher)
  list(GET row 3 unsigned)
  list(GET row 4 ends)
  list(GET row 5 says)
  execute_process(COMMAND ${CMAKE_COMMAND} -DMODULE=${MODULE} -DROW_ORIGIN=${origin}
                          "-DROW_PUBLISHER=${publisher}" -DROW_UNSIGNED=${unsigned}
                          -P ${CMAKE_CURRENT_LIST_FILE}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  string(REGEX REPLACE "[ \n]+" " " flat "${output}")  # the messages are wrapped
  set(fault "")
  if(ends STREQUAL "stops" AND result EQUAL 0)
    set(fault "it configured")
  elseif(ends STREQUAL "configures" AND NOT result EQUAL 0)
    set(fault "it stopped")
  elseif(says STREQUAL "" AND NOT output STREQUAL "")
    set(fault "it said something")
  elseif(NOT says STREQUAL "" AND NOT flat MATCHES "${says}")
    set(fault "it did not say '${says}'")
  endif()
  if(fault)
    message("FAILED: ${what}: ${fault}; exit ${result}, output:\n${output}")
    math(EXPR failures "${failures} + 1")
  else()
    message("ok: ${what}")
  endif()
endforeach()
if(failures)
  message(FATAL_ERROR "${failures} row(s) failed")
endif()
