# Tests of the drawing surface: pixel arithmetic, transfers, lines, polygons, the canvas.
target_sources(lumora_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ColorTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BitmapDrawTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LineBlendTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PolygonTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CanvasTest.cpp)
