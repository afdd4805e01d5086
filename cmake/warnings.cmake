# Warnings are errors in every build.
add_library(winhelper_warnings INTERFACE)
if(MSVC)
  target_compile_options(winhelper_warnings INTERFACE /W4 /WX /permissive- /utf-8)
else()
  target_compile_options(winhelper_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Werror -Wshadow -Wnon-virtual-dtor
    -Wno-missing-field-initializers)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC 12 reports false -Wrestrict positives inside libstdc++'s string
    # concatenation at -O3 (GCC bug 105329).
    # It also reports false -Wmaybe-uninitialized positives through std::variant
    # moves in sanitizer builds.
    target_compile_options(winhelper_warnings INTERFACE -Wno-restrict -Wno-maybe-uninitialized)
  endif()
endif()
