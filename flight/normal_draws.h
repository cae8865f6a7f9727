#pragma once
// Seeded random draws that come out with the same bits on every platform, standard
// library and thread count: a SplitMix64 stream per draw index and Marsaglia's polar
// method over a logarithm built from IEEE operations alone (the C library's log, like
// std::normal_distribution, differs between implementations).

#include <cstdint>

namespace vendrel {

class RandomStream {
 public:
  /// The stream of item `index` of the run seeded `seed`. Streams of different items
  /// are independent, so items can be drawn in any order on any thread.
  RandomStream(std::uint64_t seed, std::uint64_t index);

  std::uint64_t NextBits();
  /// Uniform in [0, 1), in steps of 2^-53.
  double NextUniform();
  /// A standard normal draw (mean 0, standard deviation 1).
  double NextNormal();

 private:
  std::uint64_t state_;
  double spare_ = 0.0;
  bool haveSpare_ = false;
};

/// Natural logarithm of a finite x > 0 to about one unit in the last place, the same
/// bits everywhere: frexp, one division and a fixed polynomial.
double PortableLog(double x);

}  // namespace vendrel
