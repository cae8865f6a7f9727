#pragma once
// Fits a model's parameters (the form's K and K' usually, the ball's drag and lift
// coefficients) to measured shots: the values, within the model's ranges, that
// minimise the sum of squared relative errors over every measured target of every
// shot. Each evaluation flies every shot, in the lanes.
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

#include "flight/ball_flight.h"
#include "flight/flight_records.h"
#include "flight/flight_summary.h"
#include "flight/parameters.h"
#include "flight/progress_meter.h"

namespace vendrel {

/// What a shot's measurement can be. The distance is the carry (the ball model's
/// carry is its distance); the landing angle and the total are the ball model's only.
enum class ShotTarget { Distance, Apex, Lateral, LandingAngle, Total };
inline constexpr std::size_t kShotTargets = 5;

/// One measured shot: how it was launched, in the record of the problem's model, and
/// what was measured (metres; the landing angle in degrees). Distance, apex, landing
/// angle and total must be greater than zero; the lateral offset is weighed relative
/// to the measured distance, so it needs one.
struct Shot {
  FlightForm form;
  BallParams ball;
  std::array<std::optional<double>, kShotTargets> measured;
};

/// What one shot came to. The form's flights fill only its FlightSummary part.
using ModelledShot = BallSummary;

struct FitProblem {
  Model model = Model::Form;
  std::vector<Shot> shots;
  std::vector<const Parameter*> fitted;  ///< the model's parameters to fit
  std::vector<double> start;             ///< their starting values
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
  std::vector<ModelledShot> modelled;  ///< each shot flown with the fitted values
  std::int64_t evaluations = 0;
  /// Whether the simplex shrank to its answer; false when the evaluations ran out
  /// first (the values are then the best found, not a minimum).
  bool converged = true;
};

/// What a fit of model `m` fits when it is not told: the form's K and K', the ball's
/// drag and lift levels (cd0 and cl1: the drag at no spin, the lift's rise with spin).
std::vector<const Parameter*> DefaultFitted(Model m);

/// Why a fit cannot move, or an empty string when it can.
std::string FitCannotMove(const FitProblem& problem);

/// Runs the fit. The problem must be one FitCannotMove accepts.
FitResult FitShots(const FitProblem& problem);

/// The modelled value of a target in a shot's summary (metres; degrees).
double ModelledTarget(const ModelledShot& s, ShotTarget t);

/// Minimises f over the box [lo, hi] from x0 by Nelder–Mead, projecting every vertex
/// into the box. Stops when the simplex has shrunk to nothing or after `maxEvaluations`;
/// `converged`, when given, says which.
std::vector<double> MinimiseInBox(const std::function<double(const std::vector<double>&)>& f,
                                  std::vector<double> x0, const std::vector<double>& lo,
                                  const std::vector<double>& hi, std::int64_t maxEvaluations,
                                  std::int64_t& evaluations, bool* converged = nullptr);

}  // namespace vendrel
