# The drawing surface's transfers, lines, polygons and canvas.
target_sources(lumora_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/uBitmap32Draw.cpp
  ${CMAKE_CURRENT_LIST_DIR}/uBitmap32Line.cpp
  ${CMAKE_CURRENT_LIST_DIR}/uPolygon32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/uCanvas.cpp)
