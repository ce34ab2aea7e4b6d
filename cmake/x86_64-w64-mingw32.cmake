# 64-bit Windows: the same sources, built so that every test can run under 64-bit Wine on
# hosts that cannot execute 32-bit programs. Never shipped.
set(mingw_target x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
