#pragma once
// The flight kernel's operations on vector registers (minimum and maximum as the x86
// instructions define them: the second operand unless the first compares below, or
// above, it). Only the translation units compiled for an instruction set include this,
// each seeing the types its compiler flags allow.

#include <cstdint>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace vendrel::lanes {

#if defined(__AVX2__)
/// Four flights in a 256-bit register.
struct Avx2Ops {
  static constexpr int kLanes = 4;
  typedef double V __attribute__((vector_size(32)));
  using Mask = decltype(V{} != V{});

  static V Splat(double x) { return V{x, x, x, x}; }
  static V Sqrt(V x) { return (V)_mm256_sqrt_pd((__m256d)x); }
  static V Min(V a, V b) { return (V)_mm256_min_pd((__m256d)a, (__m256d)b); }
  static V Max(V a, V b) { return (V)_mm256_max_pd((__m256d)a, (__m256d)b); }
  static V Floor(V x) { return (V)_mm256_floor_pd((__m256d)x); }
  // A mask lane is all ones or all zeros.
  static V Select(Mask m, V a, V b) { return (V)((m & (Mask)a) | (~m & (Mask)b)); }
  static V Load(const double* src) {
    V v;
    std::memcpy(&v, src, sizeof v);
    return v;
  }
  static void Store(double* dst, V v) { std::memcpy(dst, &v, sizeof v); }
  static std::uint64_t Bits(Mask m) {
    return static_cast<std::uint64_t>(_mm256_movemask_pd((__m256d)m));
  }
};
#endif

#if defined(__AVX512F__)
/// Eight flights in a 512-bit register.
struct Avx512Ops {
  static constexpr int kLanes = 8;
  typedef double V __attribute__((vector_size(64)));
  using Mask = decltype(V{} != V{});

  static V Splat(double x) { return V{x, x, x, x, x, x, x, x}; }
  // Every lane taken, its own value as the pass-through (the plain form's undefined
  // pass-through trips a false uninitialised-use warning).
  static V Sqrt(V x) {
    const __m512d r = (__m512d)x;
    return (V)_mm512_mask_sqrt_pd(r, static_cast<__mmask8>(0xFF), r);
  }
  static V Select(Mask m, V a, V b) { return (V)((m & (Mask)a) | (~m & (Mask)b)); }
  static V Floor(V v) {
    const __m512d x = (__m512d)v;
    return (V)_mm512_mask_roundscale_pd(x, static_cast<__mmask8>(0xFF), x, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
  }
  static V Min(V a, V b) {
    const __m512d x = (__m512d)a;
    return (V)_mm512_mask_min_pd(x, static_cast<__mmask8>(0xFF), x, (__m512d)b);
  }
  static V Max(V a, V b) {
    const __m512d x = (__m512d)a;
    return (V)_mm512_mask_max_pd(x, static_cast<__mmask8>(0xFF), x, (__m512d)b);
  }
  static V Load(const double* src) {
    V v;
    std::memcpy(&v, src, sizeof v);
    return v;
  }
  static void Store(double* dst, V v) { std::memcpy(dst, &v, sizeof v); }
  // One comparison into a mask register: taking the lanes one by one cost the ball's
  // step loop about a hundred scalar instructions a pass.
  static std::uint64_t Bits(Mask m) {
    return _mm512_cmpneq_epi64_mask((__m512i)m, _mm512_setzero_si512());
  }
};
#endif

}  // namespace vendrel::lanes
