# Results must match reference values to the last bit: no contraction into fused
# multiply-adds and nothing that lets the compiler reassociate.
add_compile_options(-ffp-contract=off -fno-fast-math -fno-associative-math -fno-math-errno
                    -fno-reciprocal-math)
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow)

set(VENDREL_SANITIZE "" CACHE STRING "Sanitizers to build with, e.g. address,undefined")
if(VENDREL_SANITIZE)
  add_compile_options(-fsanitize=${VENDREL_SANITIZE} -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${VENDREL_SANITIZE})
endif()

# The fuzz targets are guided by coverage of the whole program, not of their own file.
if(VENDREL_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
