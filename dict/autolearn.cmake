# The AutoLearn store: portable; its file access is the shared file layer's.
add_library(pv_autolearn STATIC
  ${CMAKE_CURRENT_LIST_DIR}/AutoLearnRecord.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AutoLearnWordRules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AutoLearnFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AutoLearnDictionary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AutoLearnTextExchange.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AutoLearnList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UsageModel.cpp)
target_compile_features(pv_autolearn PUBLIC cxx_std_17)
target_include_directories(pv_autolearn PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(pv_autolearn PUBLIC pv_base pv_dict_text)

# The fuzz target instruments the library it drives.
if(PV_FUZZ AND NOT WIN32 AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  target_compile_options(pv_autolearn PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
  target_link_options(pv_autolearn INTERFACE -fsanitize=address,undefined)
endif()
