# The picture decoders. Seeds come from codec_seeds, e.g.
#   build/fuzz/fuzz/codec_seeds fuzz-corpus
#   build/fuzz/fuzz/fuzz_gif -max_total_time=60 fuzz-corpus/gif
lumora_fuzzer(fuzz_gif ${CMAKE_CURRENT_LIST_DIR}/GifFuzz.cpp)
lumora_fuzzer(fuzz_jpeg ${CMAKE_CURRENT_LIST_DIR}/JpegFuzz.cpp)
lumora_fuzzer(fuzz_bmp ${CMAKE_CURRENT_LIST_DIR}/BmpFuzz.cpp)

add_executable(codec_seeds ${CMAKE_CURRENT_LIST_DIR}/CodecSeeds.cpp)
target_link_libraries(codec_seeds PRIVATE lumora_core)
