# Tests of the dictionary files, scrambling, the merged store and pvdict.
pv_add_unit_test(dict_text_tests
  SOURCES CodePageTest.cpp FolderListingTest.cpp TabTextTest.cpp ${CMAKE_SOURCE_DIR}/tools/pvdict/TabText.cpp
  LIBS pv_dict_text)

get_target_property(_pv_storage_type pv_storage TYPE)
if(_pv_storage_type STREQUAL "INTERFACE_LIBRARY")
  return()
endif()

pv_add_unit_test(dict_file_tests
  SOURCES DictionaryFileTest.cpp
  LIBS pv_dict pvdict_core)
