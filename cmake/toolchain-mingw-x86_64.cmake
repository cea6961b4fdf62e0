# Cross-builds for 64-bit Windows with mingw-w64 (Debian: g++-mingw-w64-x86-64).
#
#   cmake -S . -B build-win64 -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake -DZV_BUILD_GUI=OFF
#
# The executables link libgcc, libstdc++ and winpthread statically, so they
# run on a bare Windows (or Wine) without extra DLLs. Tests run through Wine
# when it is installed.
set(ZV_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
