# libyaml and libcsv: the parsers of the shorthand import, compiled from the pinned sources that
# scripts/install-deps.sh unpacks into .deps (the same for the native and the Windows builds).
set(PV_LIBYAML_DIR ${CMAKE_SOURCE_DIR}/.deps/libyaml CACHE PATH "libyaml's source (scripts/install-deps.sh)")
set(PV_LIBCSV_DIR ${CMAKE_SOURCE_DIR}/.deps/libcsv CACHE PATH "libcsv's source (scripts/install-deps.sh)")
if(NOT EXISTS ${PV_LIBYAML_DIR}/src/parser.c OR NOT EXISTS ${PV_LIBCSV_DIR}/libcsv.c)
  message(FATAL_ERROR "No libyaml or libcsv source in .deps: run scripts/install-deps.sh")
endif()

# libyaml takes its version from a generated config.h.
set(_pv_yaml_config ${CMAKE_BINARY_DIR}/libyaml-config)
file(WRITE ${_pv_yaml_config}/config.h.in
  "#define YAML_VERSION_MAJOR 0\n#define YAML_VERSION_MINOR 2\n#define YAML_VERSION_PATCH 5\n#define YAML_VERSION_STRING \"0.2.5\"\n")
configure_file(${_pv_yaml_config}/config.h.in ${_pv_yaml_config}/config.h COPYONLY)
add_library(pv_libyaml STATIC
  ${PV_LIBYAML_DIR}/src/api.c
  ${PV_LIBYAML_DIR}/src/dumper.c
  ${PV_LIBYAML_DIR}/src/emitter.c
  ${PV_LIBYAML_DIR}/src/loader.c
  ${PV_LIBYAML_DIR}/src/parser.c
  ${PV_LIBYAML_DIR}/src/reader.c
  ${PV_LIBYAML_DIR}/src/scanner.c
  ${PV_LIBYAML_DIR}/src/writer.c)
target_compile_definitions(pv_libyaml PUBLIC YAML_DECLARE_STATIC PRIVATE HAVE_CONFIG_H)
target_include_directories(pv_libyaml SYSTEM PUBLIC ${PV_LIBYAML_DIR}/include)
target_include_directories(pv_libyaml PRIVATE ${_pv_yaml_config})
set_target_properties(pv_libyaml PROPERTIES C_VISIBILITY_PRESET hidden)
target_compile_options(pv_libyaml PRIVATE -w)

add_library(pv_libcsv STATIC ${PV_LIBCSV_DIR}/libcsv.c)
target_include_directories(pv_libcsv SYSTEM PUBLIC ${PV_LIBCSV_DIR})
set_target_properties(pv_libcsv PROPERTIES C_VISIBILITY_PRESET hidden)
target_compile_options(pv_libcsv PRIVATE -w)

# nlohmann-json (header-only, as pvengine uses it): copied into the build tree so that the cross
# build includes it without taking the host's /usr/include.
find_path(PV_INTERCHANGE_JSON_DIR nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH)
if(NOT PV_INTERCHANGE_JSON_DIR)
  message(FATAL_ERROR "nlohmann/json.hpp not found: run scripts/install-deps.sh (nlohmann-json3-dev)")
endif()
file(COPY ${PV_INTERCHANGE_JSON_DIR}/nlohmann DESTINATION ${CMAKE_BINARY_DIR}/interchange-include)
add_library(pv_json INTERFACE)
target_include_directories(pv_json SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/interchange-include)

# The shorthand readers' fuzz targets (tests/dict) reach into the parsers too.
if(PV_FUZZ AND NOT WIN32 AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  foreach(lib pv_libyaml pv_libcsv)
    target_compile_options(${lib} PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
  endforeach()
endif()
