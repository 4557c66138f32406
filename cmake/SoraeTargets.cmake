# Every source folder is one library made of the .cpp files it holds.
# A folder that has no sources yet becomes an interface library, so the
# tree configures while parts of it are still being written.
function(sorae_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tools)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tools)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# One GoogleTest program per test folder, made of its test_*.cpp files.
# Tests run with the offscreen Qt platform and know where the fixtures are.
function(sorae_test_dir name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/test_*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  # shared test helpers: #include "common/<helper>.h"
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  # The test code itself needs no more than -O1 (the code under test is
  # built as configured); it compiles a quarter faster than at -O3.
  if(NOT SORAE_SANITIZE)
    target_compile_options(${name} PRIVATE $<$<CONFIG:Release>:-O1>)
  endif()
  target_compile_definitions(${name} PRIVATE
    SORAE_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
    SORAE_SHARED_DATA_DIR="${PROJECT_SOURCE_DIR}/data"
    SORAE_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 600)
endfunction()
