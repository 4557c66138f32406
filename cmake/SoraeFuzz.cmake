# The libFuzzer build (SORAE_FUZZ=ON, configured with CC=clang CXX=clang++):
# only the engine libraries behind the file readers, compiled with coverage
# instrumentation, AddressSanitizer and UBSan, and one fuzz target per reader
# from fuzz/. Qt is not needed.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "SORAE_FUZZ needs clang: configure with CC=clang CXX=clang++")
endif()

set(_sorae_fuzz_flags -fsanitize=fuzzer-no-link,address,undefined
    -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
add_compile_options(${_sorae_fuzz_flags})
add_link_options(-fsanitize=address,undefined)

find_package(PkgConfig REQUIRED)
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
pkg_check_modules(SOXR REQUIRED IMPORTED_TARGET soxr)
find_package(JPEG REQUIRED)
find_package(Threads REQUIRED)

include(${PROJECT_SOURCE_DIR}/cmake/SoraeTargets.cmake)

add_subdirectory(${PROJECT_SOURCE_DIR}/src/common ${PROJECT_BINARY_DIR}/src/common)
add_subdirectory(${PROJECT_SOURCE_DIR}/src/settings ${PROJECT_BINARY_DIR}/src/settings)
add_subdirectory(${PROJECT_SOURCE_DIR}/src/capture ${PROJECT_BINARY_DIR}/src/capture)
add_subdirectory(${PROJECT_SOURCE_DIR}/src/imaging ${PROJECT_BINARY_DIR}/src/imaging)
add_subdirectory(${PROJECT_SOURCE_DIR}/src/orbit ${PROJECT_BINARY_DIR}/src/orbit)
add_subdirectory(${PROJECT_SOURCE_DIR}/src/map ${PROJECT_BINARY_DIR}/src/map)
add_subdirectory(${PROJECT_SOURCE_DIR}/fuzz ${PROJECT_BINARY_DIR}/fuzz)
