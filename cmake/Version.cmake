# The version header of the resource scripts (Program.rc, Zel.rc): PennivoxVersion.h in
# ${PV_VERSION_DIR}. The test build also makes the next patch version (PV_NEXT_VERSION,
# header in ${PV_NEXT_VERSION_DIR}): the update test installs it over the current one.
if(NOT PV_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "PV_VERSION must be MAJOR.MINOR.PATCH, not '${PV_VERSION}'")
endif()

function(pv_write_version_header folder major minor patch)
  set(PV_VERSION_MAJOR ${major})
  set(PV_VERSION_MINOR ${minor})
  set(PV_VERSION_PATCH ${patch})
  configure_file(${CMAKE_SOURCE_DIR}/cmake/PennivoxVersion.h.in ${folder}/PennivoxVersion.h @ONLY)
endfunction()

set(PV_VERSION_DIR ${CMAKE_BINARY_DIR}/version)
pv_write_version_header(${PV_VERSION_DIR} ${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ${CMAKE_MATCH_3})
math(EXPR _pv_next_patch "${CMAKE_MATCH_3} + 1")
set(PV_NEXT_VERSION ${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${_pv_next_patch})
set(PV_NEXT_VERSION_DIR ${CMAKE_BINARY_DIR}/version-next)
pv_write_version_header(${PV_NEXT_VERSION_DIR} ${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ${_pv_next_patch})
