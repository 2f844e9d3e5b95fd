# The main window's Run press offscreen, with the mosaic and the working chart
# shown, beside the same problem run without a window.
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/gui_bench.cpp AND TARGET example_database)
  solvane_add_bench(gui_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/gui_bench.cpp LIBS solvane_app)
  add_dependencies(gui_bench example_database)
  target_compile_definitions(gui_bench PRIVATE
    SOLVANE_EXAMPLE_DATABASE="${CMAKE_BINARY_DIR}/examples/Problems.d"
    SOLVANE_PROBLEM_DIR="${CMAKE_SOURCE_DIR}/tests/calc/problems")
endif()
