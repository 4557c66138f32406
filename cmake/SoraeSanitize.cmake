# SORAE_SANITIZE=ON builds everything (libraries, program, tests and
# benchmarks) with AddressSanitizer and UndefinedBehaviorSanitizer, so the
# whole test suite can run once under them. Undefined behaviour stops the
# program instead of printing a warning and carrying on, so a test that
# triggers it fails.
option(SORAE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

if(SORAE_SANITIZE)
  set(_sorae_sanitize_flags -fsanitize=address,undefined -fno-sanitize-recover=undefined
      -fno-omit-frame-pointer)
  # -O1 and line tables only (after the build type's flags, so they win):
  # the sanitizers' reports still name file and line, and the build takes
  # half the time it takes at -O2 with full debug information.
  add_compile_options(${_sorae_sanitize_flags} -O1 -g1)
  add_link_options(-fsanitize=address,undefined)
  message(STATUS "SORAE-APT: building with AddressSanitizer and UBSan")
endif()
