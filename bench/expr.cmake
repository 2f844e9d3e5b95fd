# The expression engine against compiled C++ and muparser.
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
  pkg_check_modules(MUPARSER IMPORTED_TARGET muparser)
endif()
if(TARGET PkgConfig::MUPARSER)
  solvane_add_bench(expr_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/expr_bench.cpp
                    LIBS solvane_expr PkgConfig::MUPARSER)
else()
  message(STATUS "muparser not found: expr_bench is not built")
endif()
