# zlib with its minizip reader, and expat: what reads the user's .docx and .odt documents; libxml2's
# HTML parser: what reads their web pages. Compiled
# from the pinned sources that scripts/install-deps.sh unpacks into .deps, the same for the native
# and the Windows builds; only the parts that read.
set(PV_ZLIB_DIR ${CMAKE_SOURCE_DIR}/.deps/zlib CACHE PATH "zlib's source (scripts/install-deps.sh)")
set(PV_EXPAT_DIR ${CMAKE_SOURCE_DIR}/.deps/expat/expat CACHE PATH "expat's source (scripts/install-deps.sh)")
set(PV_LIBXML2_DIR ${CMAKE_SOURCE_DIR}/.deps/libxml2 CACHE PATH "libxml2's source (scripts/install-deps.sh)")
foreach(probe ${PV_ZLIB_DIR}/inflate.c ${PV_ZLIB_DIR}/contrib/minizip/unzip.c ${PV_EXPAT_DIR}/lib/xmlparse.c
        ${PV_LIBXML2_DIR}/HTMLparser.c)
  if(NOT EXISTS ${probe})
    message(FATAL_ERROR "No ${probe}: run scripts/install-deps.sh")
  endif()
endforeach()

add_library(pv_zlib STATIC
  ${PV_ZLIB_DIR}/adler32.c ${PV_ZLIB_DIR}/crc32.c ${PV_ZLIB_DIR}/inflate.c ${PV_ZLIB_DIR}/inffast.c
  ${PV_ZLIB_DIR}/inftrees.c ${PV_ZLIB_DIR}/zutil.c)
target_include_directories(pv_zlib SYSTEM PUBLIC ${PV_ZLIB_DIR})

# The reader of zip archives; no encryption, no 64-bit stdio (archives come from memory).
add_library(pv_minizip STATIC ${PV_ZLIB_DIR}/contrib/minizip/unzip.c ${PV_ZLIB_DIR}/contrib/minizip/ioapi.c)
target_compile_definitions(pv_minizip PUBLIC NOUNCRYPT IOAPI_NO_64)
target_include_directories(pv_minizip SYSTEM PUBLIC ${PV_ZLIB_DIR}/contrib/minizip)
target_link_libraries(pv_minizip PUBLIC pv_zlib)

set(pv_expat_config ${CMAKE_CURRENT_BINARY_DIR}/expat/expat_config.h)
if(WIN32)
  set(pv_expat_entropy "")  # xmlparse.c takes rand_s there
else()
  set(pv_expat_entropy "#define HAVE_GETRANDOM 1\n#define XML_DEV_URANDOM 1\n")
endif()
file(WRITE ${pv_expat_config}.in
  "#define BYTEORDER 1234\n#define HAVE_STDINT_H 1\n#define HAVE_STDLIB_H 1\n#define HAVE_STRING_H 1\n"
  "${pv_expat_entropy}")
configure_file(${pv_expat_config}.in ${pv_expat_config} COPYONLY)
add_library(pv_expat STATIC ${PV_EXPAT_DIR}/lib/xmlparse.c ${PV_EXPAT_DIR}/lib/xmlrole.c ${PV_EXPAT_DIR}/lib/xmltok.c)
# XML_DTD brings the guard against entity amplification; the readers also refuse any entity.
target_compile_definitions(pv_expat PUBLIC XML_STATIC XML_DTD XML_NS XML_CONTEXT_BYTES=1024)
target_include_directories(pv_expat SYSTEM PUBLIC ${PV_EXPAT_DIR}/lib PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/expat)
# libxml2 with its HTML parser and what that needs: no threads (callers take turns), no network,
# no iconv (pages are turned into UTF-8 first), no output, no validation.
set(pv_libxml2_generated ${CMAKE_CURRENT_BINARY_DIR}/libxml2)
foreach(feature C14N CATALOG DEBUG DOCB FTP HTTP ICONV ICU ISO8859X LEGACY LZMA MEM_DEBUG MODULES OUTPUT
        PATTERN READER REGEXPS RUN_DEBUG SCHEMAS SCHEMATRON THREADS THREAD_ALLOC TRIO VALID WRITER XINCLUDE
        XPATH XPTR ZLIB)
  set(WITH_${feature} 0)
endforeach()
foreach(feature HTML PUSH SAX1 TREE)
  set(WITH_${feature} 1)
endforeach()
set(VERSION 2.9.14)
set(LIBXML_VERSION_NUMBER 20914)
set(LIBXML_VERSION_EXTRA "")
set(MODULE_EXTENSION "")
configure_file(${PV_LIBXML2_DIR}/include/libxml/xmlversion.h.in ${pv_libxml2_generated}/libxml/xmlversion.h @ONLY)
set(pv_libxml2_config "#define VERSION \"2.9.14\"\n")
foreach(header CTYPE ERRNO FCNTL FLOAT INTTYPES LIMITS MATH STDARG STDINT STDLIB STRING SYS_STAT SYS_TYPES TIME)
  string(APPEND pv_libxml2_config "#define HAVE_${header}_H 1\n")
endforeach()
string(APPEND pv_libxml2_config "#define HAVE_STAT 1\n#define HAVE_VSNPRINTF 1\n#define HAVE_SNPRINTF 1\n#define HAVE_VA_COPY 1\n")
if(NOT WIN32)
  string(APPEND pv_libxml2_config "#define HAVE_UNISTD_H 1\n")
endif()
file(WRITE ${pv_libxml2_generated}/config.h.in "${pv_libxml2_config}")
configure_file(${pv_libxml2_generated}/config.h.in ${pv_libxml2_generated}/config.h COPYONLY)
set(pv_libxml2_sources HTMLparser.c HTMLtree.c SAX2.c buf.c chvalid.c dict.c encoding.c entities.c error.c
  globals.c hash.c list.c parser.c parserInternals.c threads.c tree.c uri.c valid.c xmlIO.c xmlmemory.c
  xmlstring.c)
list(TRANSFORM pv_libxml2_sources PREPEND ${PV_LIBXML2_DIR}/)
add_library(pv_libxml2 STATIC ${pv_libxml2_sources})
target_compile_definitions(pv_libxml2 PUBLIC LIBXML_STATIC)
target_include_directories(pv_libxml2 SYSTEM PUBLIC ${pv_libxml2_generated} ${PV_LIBXML2_DIR}/include
  PRIVATE ${pv_libxml2_generated} ${PV_LIBXML2_DIR})

foreach(lib pv_zlib pv_minizip pv_expat pv_libxml2)
  set_target_properties(${lib} PROPERTIES C_VISIBILITY_PRESET hidden)
  if(NOT MSVC)
    target_compile_options(${lib} PRIVATE -w)  # their code, their warnings
  endif()
endforeach()

# The writer of zip archives, for tests that make documents.
add_library(pv_minizip_writer STATIC ${PV_ZLIB_DIR}/contrib/minizip/zip.c ${PV_ZLIB_DIR}/deflate.c ${PV_ZLIB_DIR}/trees.c)
target_compile_definitions(pv_minizip_writer PUBLIC NOCRYPT)
target_link_libraries(pv_minizip_writer PUBLIC pv_minizip)
if(NOT MSVC)
  target_compile_options(pv_minizip_writer PRIVATE -w)
endif()
