# 64-bit Windows: the same sources, for hosts whose Wine runs only 64-bit
# programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TALO_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
