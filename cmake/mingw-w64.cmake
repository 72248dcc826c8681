# Cross-compile the Windows binaries with MinGW-w64 (posix thread model: std::mutex, GoogleTest).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PV_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${PV_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PV_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${PV_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${PV_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# CTest runs the test executables through Wine; the Wine environment comes from scripts/wine-env.sh.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
