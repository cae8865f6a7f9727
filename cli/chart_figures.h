#pragma once
// The figures of the studies, built from what the flights came to: a flight with its
// overlays, a sweep over one or two parameters, a dispersion, a convergence check and
// a fit. Lengths and speeds arrive in the model's units and are shown in the user's.

#include <array>
#include <span>
#include <string>
#include <vector>

#include "cli/chart_drawing.h"
#include "cli/shots_csv.h"
#include "flight/ball_flight.h"
#include "flight/dispersion.h"
#include "flight/parameters.h"
#include "flight/shot_fit.h"
#include "flight/windowless_run.h"
#include "flight/units.h"

namespace vendrel::cli {

/// A flight's positions (x, y, z in metres), thinned to a bounded number of points
/// however long the flight, with its highest point.
class FlightPath {
 public:
  void Add(const Vec5& pos);
  const std::vector<std::array<double, 3>>& points() const { return points_; }
  std::array<double, 3> apex() const { return apex_; }

 private:
  std::vector<std::array<double, 3>> points_;
  std::array<double, 3> apex_{0.0, 0.0, -1e300};
  std::int64_t seen_ = 0, stride_ = 1;
};

struct ChartedFlight {
  FlightForm form;
  FlightPath path;
  FlightSummary summary;
  bool rests = false;                ///< a ball shot that came to rest: the path goes on to it
  std::array<double, 2> rest{};      ///< m, downrange and right
  double total = 0.0;                ///< m, tee to rest
};

/// Side view above top view, apex and landing (and a ball's rest point) marked, the
/// legend naming each flight by what differs from the first.
Figure FlightFigure(const std::vector<ChartedFlight>& flights, Units units);

/// How a swept parameter is named on an axis: "launch angle (°)".
std::string ParameterTitle(const Parameter& f, Units units);

/// Carry, apex and lateral against one swept parameter (values in the user's units);
/// for the ball model also the landing angle, the flight time and the total. The form's
/// flights fill only the FlightSummary part of theirs.
Figure SweepLineFigure(const Parameter& f, const std::vector<double>& values,
                       const std::vector<BallSummary>& flights, Units units, Model model = Model::Form);

/// A heat map over two swept parameters of one quantity (metres, NaN where a flight
/// did not come down), the largest marked. `values` holds ys.size() rows of xs.size().
Figure SweepHeatFigure(const Parameter& fx, const std::vector<double>& xs, const Parameter& fy,
                       const std::vector<double>& ys, const std::vector<double>& values,
                       const std::string& quantity, Units units);

/// The landing points from above, their mean and the 95% ellipse; with `balls` (the
/// same shots of the ball model) their rest points and ellipse too.
Figure DispersionFigure(const std::vector<FlightSummary>& flights, const DispersionStats& stats,
                        std::uint64_t seed, Units units, std::span<const BallSummary> balls = {});

/// The distance at each time step against the step, on a logarithmic axis.
Figure ConvergenceFigure(const std::vector<double>& steps, const std::vector<FlightSummary>& flights,
                         Units units);

/// Measured against modelled, one panel per target the shots have.
Figure FitFigure(const ShotsFile& shots, const FitProblem& problem, const FitResult& result,
                 const std::string& fileName, Units units);

/// "K = 0.0123, K' = 0.0456": how fitted parameters are named in titles.
std::string FittedText(const FitProblem& problem, const FitResult& result, Units units);

}  // namespace vendrel::cli
