# The 32-bit pieces (the hook library, its helper program and test programs) with MinGW-w64's
# i686 compilers. Used by the sub-build that the Windows configuration drives.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(PV_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${PV_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PV_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${PV_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${PV_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
set(PV_HOOK32_BUILD ON CACHE BOOL "Build only the 32-bit pieces" FORCE)
