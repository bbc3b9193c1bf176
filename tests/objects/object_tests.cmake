# Tests of the animated objects: sections, motion and display cycle, the list and its workers,
# and the picture objects.
target_sources(lumora_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ObjectTextTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MotionTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AnimObjectsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageObjectTest.cpp)
