# Shared part of the mingw-w64 toolchain files; ZV_MINGW_TRIPLET names the
# target (x86_64-w64-mingw32 or i686-w64-mingw32).
set(CMAKE_SYSTEM_NAME Windows)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR "${ZV_MINGW_TRIPLET}")

# The "posix" thread model provides std::thread, std::mutex and
# std::condition_variable; fall back to the default name where there is no
# such alternative.
foreach(tool IN ITEMS gcc g++)
  string(TOUPPER "${tool}" upper)
  find_program(ZV_MINGW_${upper} NAMES ${ZV_MINGW_TRIPLET}-${tool}-posix ${ZV_MINGW_TRIPLET}-${tool})
endforeach()
set(CMAKE_C_COMPILER ${ZV_MINGW_GCC})
set(CMAKE_CXX_COMPILER ${ZV_MINGW_G++})
set(CMAKE_RC_COMPILER ${ZV_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZV_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No runtime DLLs to ship: everything the compiler brings is linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Programs built here run through Wine (ctest, test discovery).
find_program(ZV_WINE NAMES wine wine64)
if(ZV_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZV_WINE})
endif()
