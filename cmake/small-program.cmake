# What keeps the shipped program small (tools/bench/size_report.sh shows where its bytes go).
#
# Release code is optimised for size: the program's time goes to the platform's drawing and
# download code, not to its own.
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG")

# The program's own code neither throws nor catches, and no exception may cross the
# platform's frames (window procedures, COM callbacks). Built without exceptions and without
# unwind tables it needs none of the exception run-time; app/runtime_hooks.cpp keeps the
# library's allocation and container failure paths from pulling that run-time back in. The
# Windows-side tests keep exceptions (GoogleTest uses them) and link the same libraries.
function(inkvane_small_code)
  foreach(target IN LISTS ARGN)
    target_compile_options(${target} PRIVATE -fno-exceptions -fno-asynchronous-unwind-tables)
  endforeach()
endfunction()

add_library(inkvane_runtime_hooks OBJECT ${CMAKE_CURRENT_LIST_DIR}/../app/runtime_hooks.cpp)
inkvane_small_code(inkvane_runtime_hooks)

# A program of ours, built as above and linked with the run-time hooks.
function(inkvane_small_program target)
  inkvane_small_code(${target})
  target_link_libraries(${target} PRIVATE inkvane_runtime_hooks)
endfunction()
