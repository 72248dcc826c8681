# Test helpers shared by every subsystem.
#
#   pv_add_unit_test(name SOURCES ... [LIBS ...] [DESKTOP])
#       A GoogleTest executable. Natively it runs directly; in the Windows build CTest runs
#       it through Wine. DESKTOP: it creates windows, hooks or uses the clipboard, so it
#       takes the one desktop lock (one such test at a time per Wine prefix).
#   pv_add_e2e_test(name SCRIPT file.py [ARGS ...])
#       An end-to-end scenario in Python driving the real binaries under Xvfb (Windows build only).
#
# Every test sees PV_SHARED_DIR (reference files) and PV_SOURCE_DIR as compile definitions
# and environment variables.

if(PV_TESTS AND NOT TARGET gtest)
  set(PV_GTEST_SRC /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${PV_GTEST_SRC} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

# Debian's python3: the scenarios need nothing beyond its standard library.
find_program(PV_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(NOT PV_PYTHON)
  find_program(PV_PYTHON NAMES python3)
endif()

set(PV_TEST_ENV
  "PV_SHARED_DIR=${PV_SHARED_DIR}"
  "PV_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
  "PV_BINARY_DIR=${CMAKE_BINARY_DIR}")

function(pv_add_unit_test T_NAME)
  cmake_parse_arguments(T "DESKTOP" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} gmock gtest_main)
  target_compile_definitions(${T_NAME} PRIVATE
    PV_SHARED_DIR="${PV_SHARED_DIR}" PV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_color=no)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${PV_TEST_ENV}" TIMEOUT ${T_TIMEOUT})
  if(T_DESKTOP AND WIN32)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK desktop)
  endif()
endfunction()

function(pv_add_e2e_test T_NAME)
  cmake_parse_arguments(T "" "SCRIPT;TIMEOUT" "ARGS" ${ARGN})
  if(NOT WIN32)
    return()
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  add_test(NAME ${T_NAME}
           COMMAND ${PV_PYTHON} -u ${CMAKE_CURRENT_SOURCE_DIR}/${T_SCRIPT} ${T_ARGS}
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "${PV_TEST_ENV};PYTHONPATH=${CMAKE_SOURCE_DIR}/tests/e2e"
    RESOURCE_LOCK desktop TIMEOUT ${T_TIMEOUT})
endfunction()
