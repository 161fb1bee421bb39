target_sources(OstrelVirorezCore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ClaudeError.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ClaudeRewriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Cld2LanguageRecognizer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LocalRewriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LocalRewriterError.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProfileMigrations.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PromptTemplate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RewritePromptBuilder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RewriterRouter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RewritingProfile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RewritingProfileList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RewritingProfileStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RewritingPrompts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SystemLanguageModel.cpp
)
find_library(CLD2_LIBRARY cld2 REQUIRED)
target_link_libraries(OstrelVirorezCore PUBLIC ${CLD2_LIBRARY} CURL::libcurl ICU::uc PlatformKeychain PlatformHttp
  PlatformText PlatformDefaults PlatformFiles)
