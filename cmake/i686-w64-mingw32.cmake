# 32-bit Windows: the program that ships.
set(mingw_target i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
