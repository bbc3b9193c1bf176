# The picture codecs: libjpeg(-turbo) and giflib as installed libraries, stb_image and
# stb_image_write as headers. The Windows cross build finds static builds of the two libraries
# under .deps/mingw through the toolchain's root path.
target_sources(lumora_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/uJpegCodec.cpp
  ${CMAKE_CURRENT_LIST_DIR}/uGifCodec.cpp
  ${CMAKE_CURRENT_LIST_DIR}/uBmpCodec.cpp
  ${CMAKE_CURRENT_LIST_DIR}/uPngCodec.cpp
  ${CMAKE_CURRENT_LIST_DIR}/uPictureLoader.cpp)

if(WIN32)
  # Every program is one self-contained .exe: take the static archives, never an import library.
  set(_lumora_saved_suffixes ${CMAKE_FIND_LIBRARY_SUFFIXES})
  set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
endif()
find_package(JPEG REQUIRED)
find_package(GIF REQUIRED)
if(WIN32)
  set(CMAKE_FIND_LIBRARY_SUFFIXES ${_lumora_saved_suffixes})
  unset(_lumora_saved_suffixes)
endif()
target_link_libraries(lumora_core PUBLIC JPEG::JPEG GIF::GIF)

find_path(LUMORA_STB_INCLUDE_DIR stb_image.h PATHS /usr/include/stb NO_CMAKE_FIND_ROOT_PATH REQUIRED)
target_include_directories(lumora_core PRIVATE ${LUMORA_STB_INCLUDE_DIR})
