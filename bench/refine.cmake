if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/refine_bench.cpp)
  solvane_add_bench(refine_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/refine_bench.cpp LIBS solvane_diagram)
  target_compile_definitions(refine_bench PRIVATE
    SOLVANE_PROBLEM_DIR="${CMAKE_SOURCE_DIR}/tests/calc/problems")
endif()
