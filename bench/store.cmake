solvane_add_bench(store_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/store_bench.cpp LIBS solvane_store)
