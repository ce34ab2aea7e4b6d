# What keeps the shipped program small (tools/bench/size_report.sh shows where its bytes go).
#
# Release code is optimised for size: the program's time goes to the platform's drawing and
# download code, not to its own. -Oz (GCC 12 on) trades a little more speed for size than -Os.
set(CMAKE_CXX_FLAGS_RELEASE "-Oz -DNDEBUG")

# The same sources give the same program, whoever builds it, wherever and whenever: no build
# folder in the code (file names that reach it are relative to the tree's root), and a fixed
# time stamp (zero) in the PE header, so that the header's checksum is fixed too. A user can
# rebuild a release from its commit and compare it with the signed one, signature removed.
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=
                    -ffile-prefix-map=${CMAKE_BINARY_DIR}/=build/)
add_link_options(-Wl,--no-insert-timestamp -fno-use-linker-plugin)

# The program's own code neither throws nor catches, and no exception may cross the
# platform's frames (window procedures, COM callbacks). Built without exceptions and without
# unwind tables it needs none of the exception run-time; app/runtime_hooks.cpp keeps the
# library's allocation and container failure paths from pulling that run-time back in. The
# Windows-side tests keep exceptions (GoogleTest uses them) and link the same libraries.
#
# Release code is compiled for link-time optimisation as well, into fat objects: the programs
# below are optimised whole when linked, which takes a fifth off their code; every other
# program (the tests) links their ordinary code, without the linker plugin, which would
# otherwise take the objects' LTO symbols and clash with the tests' own inline copies.
function(inkvane_small_code)
  foreach(target IN LISTS ARGN)
    target_compile_options(${target} PRIVATE -fno-exceptions -fno-asynchronous-unwind-tables
                           $<$<CONFIG:Release>:-flto -ffat-lto-objects>)
  endforeach()
endfunction()

add_library(inkvane_runtime_hooks OBJECT ${CMAKE_CURRENT_LIST_DIR}/../app/runtime_hooks.cpp)
inkvane_small_code(inkvane_runtime_hooks)

# A program of ours, built as above and linked with the run-time hooks. The whole program is
# optimised as one LTO partition: split into several, the i686 mingw-w64 GCC 12 compiler stops
# with an internal error in dead-store elimination (binds_to_current_def_p) on this code, and one
# partition gives a program of the same size.
function(inkvane_small_program target)
  inkvane_small_code(${target})
  target_link_options(${target} PRIVATE $<$<CONFIG:Release>:-flto=auto -flto-partition=one -fuse-linker-plugin -Oz>)
  target_link_libraries(${target} PRIVATE inkvane_runtime_hooks)
endfunction()
