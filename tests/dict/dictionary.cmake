# Tests of the dictionary files, scrambling, the merged store and pvdict.
pv_add_unit_test(dict_text_tests
  SOURCES CodePageTest.cpp FolderListingTest.cpp TabTextTest.cpp ${CMAKE_SOURCE_DIR}/tools/pvdict/TabText.cpp
  LIBS pv_dict_text)

pv_add_unit_test(dict_file_tests
  SOURCES DictionaryFileTest.cpp
  LIBS pv_dict pvdict_core)

pv_add_unit_test(dict_set_tests
  SOURCES DictionarySetTest.cpp
  LIBS pv_dict pvdict_core)

pv_add_unit_test(dict_pvdict_tests
  SOURCES PvdictTest.cpp
  LIBS pvdict_core)
