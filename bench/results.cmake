# The result windows on a finished 1001 x 1001 run, offscreen, beside the
# headless run of the same problem.
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/results_bench.cpp)
  solvane_add_bench(results_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/results_bench.cpp LIBS solvane_views)
  target_compile_definitions(results_bench PRIVATE
    SOLVANE_PROBLEM_DIR="${CMAKE_SOURCE_DIR}/tests/calc/problems")
endif()
