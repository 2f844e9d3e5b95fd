if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/sweep_bench.cpp)
  solvane_add_bench(sweep_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/sweep_bench.cpp LIBS solvane_calc)
  target_compile_definitions(sweep_bench PRIVATE
    SOLVANE_PROBLEM_DIR="${CMAKE_SOURCE_DIR}/tests/calc/problems")
endif()
