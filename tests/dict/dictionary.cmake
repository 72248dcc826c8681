# Tests of the dictionary files, scrambling, the merged store and pvdict.
pv_add_unit_test(dict_text_tests
  SOURCES CodePageTest.cpp FolderListingTest.cpp TabTextTest.cpp
  LIBS pv_dict_text pvdict_text pv_test_support)

pv_add_unit_test(dict_file_tests
  SOURCES DictionaryFileTest.cpp
  LIBS pv_dict pvdict_core pv_test_support)

pv_add_unit_test(dict_set_tests
  SOURCES DictionarySetTest.cpp RankedSearchTest.cpp CodePageMirrorTest.cpp
  LIBS pv_dict pvdict_core pv_autolearn pv_test_support)

pv_add_unit_test(dict_pvdict_tests
  SOURCES PvdictTest.cpp
  LIBS pvdict_core pv_test_support)

# The real binary, run as users and the build run it.
add_test(NAME dict_pvdict_cli
         COMMAND ${CMAKE_COMMAND} -DPVDICT=$<TARGET_FILE:pvdict> "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}"
                 -DFIXTURES=${PV_SHARED_DIR}/metakit/fixtures -DWORK=${CMAKE_CURRENT_BINARY_DIR}/pvdict-cli
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/PvdictCli.cmake)
set_tests_properties(dict_pvdict_cli PROPERTIES ENVIRONMENT "${PV_TEST_ENV}" TIMEOUT 120)

pv_add_unit_test(dict_text_exchange_tests
  SOURCES DictionaryTextTest.cpp TextImportTest.cpp EntryRowsTest.cpp
  LIBS pv_dict pv_test_support)

# libFuzzer over files given to the text imports: -DPV_FUZZ=ON with clang.
if(PV_FUZZ AND NOT WIN32 AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_executable(fuzz_dictionary_import fuzz_dictionary_import.cpp)
  target_compile_options(fuzz_dictionary_import PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(fuzz_dictionary_import PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(fuzz_dictionary_import PRIVATE pv_dict)
endif()

pv_add_unit_test(dict_interchange_tests
  SOURCES ShorthandInterchangeTest.cpp
  LIBS pv_dict_interchange pv_textout_core pv_test_support)

# libFuzzer, one target per shorthand reader: -DPV_FUZZ=ON with clang.
if(PV_FUZZ AND NOT WIN32 AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  foreach(format Espanso AutoHotkey Beeftext Csv)
    string(TOLOWER ${format} name)
    add_executable(fuzz_shorthand_${name} fuzz_shorthand_reader.cpp)
    target_compile_definitions(fuzz_shorthand_${name} PRIVATE PV_FUZZ_FORMAT=${format})
    target_compile_options(fuzz_shorthand_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(fuzz_shorthand_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(fuzz_shorthand_${name} PRIVATE pv_dict_interchange)
  endforeach()
endif()
