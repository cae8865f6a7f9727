#pragma once
// Fits form parameters (K and K' usually) to measured shots: the values, within the
// form's ranges, that minimise the sum of squared relative errors over every measured
// target of every shot. Each evaluation flies every shot.
//
// The method is Nelder–Mead on the box of the ranges. The landing is the first tick
// below ground, so a target moves in small steps as a parameter crosses a tick: the
// objective is smooth only between those steps. A simplex needs no derivatives and
// steps over them, where finite-difference Jacobians (Levenberg–Marquardt) would see
// slopes of zero or of a cliff.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "flight/flight_records.h"
#include "flight/flight_summary.h"
#include "flight/progress_meter.h"

namespace vendrel {

enum class ShotTarget { Distance, Apex, Lateral };
inline constexpr std::size_t kShotTargets = 3;

/// One measured shot: the form it was launched with and what was measured (metres).
/// Distance and apex must be greater than zero; the lateral offset is weighed
/// relative to the measured distance, so it needs one.
struct Shot {
  FlightForm form;
  std::array<std::optional<double>, kShotTargets> measured;
};

struct FitProblem {
  std::vector<Shot> shots;
  std::vector<double FlightForm::*> fitted;  ///< the parameters to fit
  std::vector<double> start;                 ///< their starting values
  std::int64_t maxTicks = 1000000;           ///< a flight still up then scores as a miss
  int threads = 0;                           ///< for the flights; 0: one per core
  ProgressMeter* progress = nullptr;         ///< counts every shot flown, when given
  /// Called on the fitting thread after each evaluation with the evaluations so far and
  /// the most the fit may make; what it throws ends the fit and leaves FitShots.
  std::function<void(std::int64_t evaluations, std::int64_t most)> afterEvaluation;
};

struct FitResult {
  std::vector<double> values;          ///< fitted values, in `fitted` order
  double rms = 0.0;                    ///< RMS of the relative errors
  std::vector<FlightSummary> modelled; ///< each shot flown with the fitted values
  std::int64_t evaluations = 0;
};

/// Why a fit cannot move, or an empty string when it can.
std::string FitCannotMove(const FitProblem& problem);

/// Runs the fit. The problem must be one FitCannotMove accepts.
FitResult FitShots(const FitProblem& problem);

/// The modelled value of a target in a flight's summary (metres).
double ModelledTarget(const FlightSummary& s, ShotTarget t);

/// Minimises f over the box [lo, hi] from x0 by Nelder–Mead, projecting every vertex
/// into the box. Stops when the simplex has shrunk to nothing or after `maxEvaluations`.
std::vector<double> MinimiseInBox(const std::function<double(const std::vector<double>&)>& f,
                                  std::vector<double> x0, const std::vector<double>& lo,
                                  const std::vector<double>& hi, std::int64_t maxEvaluations,
                                  std::int64_t& evaluations);

}  // namespace vendrel
