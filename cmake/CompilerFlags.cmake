# Project-wide warning and sanitizer flags, applied through one interface target so that
# third-party code (GoogleTest, libgsf headers) is not affected.
add_library(zr740_flags INTERFACE)
target_compile_options(zr740_flags INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
# GCC 12 at -O3 reports std::string concatenations as overlapping copies (GCC bug 105651); the
# warning has no true positives in this code base, only noise in Release builds.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(zr740_flags INTERFACE -Wno-restrict)
endif()
if(ZR740_WERROR)
  target_compile_options(zr740_flags INTERFACE -Werror)
endif()
if(ZR740_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(ZR740_TSAN)
  add_compile_options(-fsanitize=thread)
  add_link_options(-fsanitize=thread)
endif()
if(ZR740_FUZZ)
  # Coverage instrumentation for the libraries the harnesses exercise. Undefined behaviour stops
  # the run at its first occurrence, so that the fuzzer keeps the input as a crash instead of
  # printing a report and going on.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
