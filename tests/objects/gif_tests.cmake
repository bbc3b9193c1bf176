# Tests of the GIF player, the GIF object's load and vxscene's gif-frames command.
target_sources(lumora_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/GifPlayerTest.cpp)
