# The 32-bit pieces, built by the i686 compilers as a sub-build of the Windows configuration:
# Zel32.dll and Zel32Host.exe go beside Pennivox.exe; the 32-bit test programs stay in
# ${PV_HOOK32_DIR}/bin. Without the compilers everything else still builds and passes.
#   PV_HOOK32           ON when the sub-build is part of this build
#   PV_HOOK32_DIR       its build folder
#   PV_HOOK32_RUNNABLE  Wine here runs 32-bit programs (Debian's wine32): their tests are added
include(ExternalProject)

set(PV_HOOK32 OFF)
set(PV_HOOK32_DIR ${CMAKE_BINARY_DIR}/hook32)
find_program(PV_I686_CXX i686-w64-mingw32-g++-posix)
if(NOT PV_I686_CXX OR NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
  message(STATUS "No i686-w64-mingw32-g++-posix: 32-bit applications get no hook in this build "
                 "(install g++-mingw-w64-i686-posix); the 32-bit parts and their tests are skipped")
  return()
endif()
set(PV_HOOK32 ON)
if(EXISTS /usr/lib/wine/wine)
  set(PV_HOOK32_RUNNABLE ON)
else()
  set(PV_HOOK32_RUNNABLE OFF)
  message(STATUS "No wine32: the 32-bit pieces are built and shipped, their Wine tests skip themselves")
endif()

set(_pv_hook32_args
  -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-w64-i686.cmake
  -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} -DPV_TESTS=${PV_TESTS} -DPV_BENCH=${PV_BENCH}
  -DPV_SHARED_DIR=${PV_SHARED_DIR} -DPV_VERSION=${PV_VERSION})
foreach(_lang C CXX)
  if(CMAKE_${_lang}_COMPILER_LAUNCHER)
    list(APPEND _pv_hook32_args -DCMAKE_${_lang}_COMPILER_LAUNCHER=${CMAKE_${_lang}_COMPILER_LAUNCHER})
  endif()
endforeach()

# Only what runs 32-bit: the rest of the testkit is 64-bit code.
set(_pv_hook32_targets Zel Zel32Host pvtarget)
if(PV_TESTS)
  list(APPEND _pv_hook32_targets hook_test host32_test)
endif()
if(PV_BENCH)
  # keytarget: the 32-bit program that app_bench types into.
  list(APPEND _pv_hook32_targets hook_bench keytarget)
endif()

set(_pv_program_dir ${CMAKE_BINARY_DIR}/Pennivox)
ExternalProject_Add(pv_hook32
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${PV_HOOK32_DIR}
  CMAKE_ARGS ${_pv_hook32_args}
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${PV_HOOK32_DIR} --target ${_pv_hook32_targets}
  INSTALL_COMMAND ${CMAKE_COMMAND} -E make_directory ${_pv_program_dir}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PV_HOOK32_DIR}/bin/Zel32.dll ${PV_HOOK32_DIR}/bin/Zel32Host.exe
          ${_pv_program_dir}
  BUILD_BYPRODUCTS ${PV_HOOK32_DIR}/bin/Zel32.dll ${PV_HOOK32_DIR}/bin/Zel32Host.exe
  BUILD_ALWAYS ON)
# The program starts the helper only when it is built alongside.
target_compile_definitions(pv_program PRIVATE PV_WITH_HOOK32)
add_dependencies(Pennivox pv_hook32)
