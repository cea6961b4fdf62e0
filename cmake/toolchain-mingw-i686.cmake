# Cross-builds for 32-bit Windows with mingw-w64 (Debian: g++-mingw-w64-i686).
# See toolchain-mingw-x86_64.cmake.
set(ZV_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
