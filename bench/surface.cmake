# The drawing surface's frame work against plain copies of the same pixels.
add_executable(bench_surface ${CMAKE_CURRENT_LIST_DIR}/SurfaceBench.cpp)
target_link_libraries(bench_surface PRIVATE lumora_core benchmark::benchmark)
