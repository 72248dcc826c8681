# utf8proc: Unicode case mapping and character classes, compiled from the pinned source that
# scripts/install-deps.sh unpacks into .deps (the same for the native and the Windows builds).
set(PV_UTF8PROC_DIR ${CMAKE_SOURCE_DIR}/.deps/utf8proc CACHE PATH "utf8proc's source (scripts/install-deps.sh)")
if(NOT EXISTS ${PV_UTF8PROC_DIR}/utf8proc.c)
  message(FATAL_ERROR "No utf8proc source in ${PV_UTF8PROC_DIR}: run scripts/install-deps.sh")
endif()
add_library(pv_utf8proc STATIC ${PV_UTF8PROC_DIR}/utf8proc.c)
target_compile_definitions(pv_utf8proc PUBLIC UTF8PROC_STATIC)
target_include_directories(pv_utf8proc SYSTEM PUBLIC ${PV_UTF8PROC_DIR})
set_target_properties(pv_utf8proc PROPERTIES C_VISIBILITY_PRESET hidden)
