# Tests of the picture codecs and the still-picture loader.
target_sources(lumora_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/JpegCodecTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GifCodecTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BmpCodecTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PictureLoaderTest.cpp)
# PictureLoaderTest reads written PNGs back with stb_image.
target_include_directories(lumora_tests PRIVATE ${LUMORA_STB_INCLUDE_DIR})
