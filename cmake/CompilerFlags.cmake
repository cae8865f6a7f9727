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

# On x86-64 the flight lanes come in AVX2 and AVX-512 forms, each in units compiled for
# that instruction set alone and chosen at run time; the target's code sees
# VENDREL_X86_LANES. Elsewhere (WebAssembly, other processors) those units compile
# to nothing and the lanes are plain doubles.
# vendrel_instruction_set_sources(TARGET AVX2 sources... AVX512 sources...)
function(vendrel_instruction_set_sources target)
  cmake_parse_arguments(S "" "" "AVX2;AVX512" ${ARGN})
  if(NOT EMSCRIPTEN AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
    set_source_files_properties(${S_AVX2} PROPERTIES COMPILE_OPTIONS "-mavx2")
    set_source_files_properties(${S_AVX512} PROPERTIES COMPILE_OPTIONS "-mavx512f")
    target_compile_definitions(${target} PRIVATE VENDREL_X86_LANES=1)
  endif()
endfunction()
