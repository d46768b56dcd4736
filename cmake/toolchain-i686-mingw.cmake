# Windows i686 (mingw-w64, posix threads).
set(VL_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
