# Every target links vendrel_build_flags (through the base libraries, which pass it on),
# so the flags below are the whole story of how the code is compiled.
add_library(vendrel_build_flags INTERFACE)

# Results must match reference values to the last bit: no contraction into fused
# multiply-adds and nothing that lets the compiler reassociate.
target_compile_options(vendrel_build_flags INTERFACE
  -ffp-contract=off -fno-fast-math -fno-associative-math -fno-math-errno
  -fno-reciprocal-math
  -Wall -Wextra -Wpedantic -Wshadow)

set(VENDREL_SANITIZE "" CACHE STRING "Sanitizers to build with, e.g. address,undefined")
if(VENDREL_SANITIZE)
  target_compile_options(vendrel_build_flags INTERFACE
    -fsanitize=${VENDREL_SANITIZE} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(vendrel_build_flags INTERFACE -fsanitize=${VENDREL_SANITIZE})
endif()

# The fuzz targets are guided by coverage of the whole program, not of their own file.
if(VENDREL_FUZZ)
  target_compile_options(vendrel_build_flags INTERFACE -fsanitize=fuzzer-no-link)
endif()
