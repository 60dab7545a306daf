# Benchmarks: small programs that print figures; built with the product, never run as tests.
add_executable(tessiv_bench_launch ${CMAKE_CURRENT_LIST_DIR}/launch_bench.cc)
target_link_libraries(tessiv_bench_launch PRIVATE tessiv_core)
