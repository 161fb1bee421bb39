list(APPEND COREML_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/SequenceOps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecurrentActivation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecurrentArguments.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecurrentProduct.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecurrentResults.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LstmKernel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GruKernel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RnnKernel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AttentionKernel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RandomKernels.cpp
)
