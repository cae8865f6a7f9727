#include "flight/shot_fit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "flight/parallel_runs.h"
#include "flight/parameters.h"
#include "flight/shot_table.h"

namespace vendrel {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// What tells a shot from another for the fit: every value that is not fitted (a NaN,
// the ball's pressure not given, as a value of its own), its spin form and what was
// measured. Shots with equal keys give the fit the same information.
std::vector<double> ShotKey(const Shot& s, Model model, const std::vector<const Parameter*>& fitted) {
  std::vector<double> key;
  for (const Parameter& f : ParametersOf(model)) {
    if (std::find(fitted.begin(), fitted.end(), &f) != fitted.end()) continue;
    const double v = model == Model::Form ? ValueIn(s.form, f) : ValueIn(s.ball, f);
    key.push_back(std::isnan(v) ? 1.0 : 0.0);
    key.push_back(std::isnan(v) ? 0.0 : v);
  }
  key.push_back(model == Model::Ball && s.ball.spinAsComponents ? 1.0 : 0.0);
  for (const auto& m : s.measured) {
    key.push_back(m ? 1.0 : 0.0);
    key.push_back(m.value_or(0.0));
  }
  return key;
}

std::size_t TargetCount(const Shot& s) {
  return static_cast<std::size_t>(std::count_if(s.measured.begin(), s.measured.end(),
                                                [](const auto& m) { return m.has_value(); }));
}

// Every shot in the lanes, on the problem's threads, at the values x of the fitted
// parameters; the bits do not depend on the threads. A ball shot whose values join
// into one the model refuses (drag below zero, too coarse a step) is not flown and
// comes back as not down.
std::vector<ModelledShot> Fly(const FitProblem& p, const std::vector<double>& x) {
  std::vector<ModelledShot> flown(p.shots.size());
  if (p.model == Model::Form) {
    std::vector<FlightForm> forms;
    forms.reserve(p.shots.size());
    for (const Shot& s : p.shots) {
      FlightForm form = s.form;
      for (std::size_t i = 0; i < p.fitted.size(); ++i) ValueIn(form, *p.fitted[i]) = x[i];
      forms.push_back(form);
    }
    const std::vector<FlightSummary> summaries =
        RunFlightsParallel(forms, p.maxTicks, p.threads, BestLanePath(), p.progress);
    for (std::size_t i = 0; i < summaries.size(); ++i) static_cast<FlightSummary&>(flown[i]) = summaries[i];
    return flown;
  }
  std::vector<BallParams> balls;
  std::vector<std::size_t> taken;  // which shots are flown
  for (std::size_t k = 0; k < p.shots.size(); ++k) {
    BallParams ball = p.shots[k].ball;
    for (std::size_t i = 0; i < p.fitted.size(); ++i) ValueIn(ball, *p.fitted[i]) = x[i];
    if (!BallJointRefusal(ball).empty()) {  // each value is in its range already
      flown[k].end = FlightEnd::NotANumber;
      continue;
    }
    balls.push_back(ball);
    taken.push_back(k);
  }
  const std::vector<BallSummary> summaries = FlyBallsParallel(balls, p.threads);
  for (std::size_t i = 0; i < summaries.size(); ++i) flown[taken[i]] = summaries[i];
  if (p.progress) p.progress->Add(static_cast<std::int64_t>(p.shots.size()));
  return flown;
}

// Sum of squared relative errors and the number of targets; a shot that does not come
// down scores infinity.
double SquaredErrors(const FitProblem& p, std::span<const ModelledShot> flown, std::size_t& targets) {
  double sum = 0.0;
  targets = 0;
  for (std::size_t i = 0; i < p.shots.size(); ++i) {
    const Shot& shot = p.shots[i];
    for (std::size_t t = 0; t < kShotTargets; ++t) {
      if (!shot.measured[t]) continue;
      if (flown[i].end != FlightEnd::Ground) return kInf;
      const double scale = static_cast<ShotTarget>(t) == ShotTarget::Lateral
                               ? *shot.measured[static_cast<std::size_t>(ShotTarget::Distance)]
                               : *shot.measured[t];
      const double e = (ModelledTarget(flown[i], static_cast<ShotTarget>(t)) - *shot.measured[t]) / scale;
      sum += e * e;
      ++targets;
    }
  }
  return std::isnan(sum) ? kInf : sum;
}

}  // namespace

double ModelledTarget(const ModelledShot& s, ShotTarget t) {
  switch (t) {
    case ShotTarget::Distance: return s.distance;
    case ShotTarget::Apex: return s.apex;
    case ShotTarget::Lateral: return s.landing[2];
    case ShotTarget::LandingAngle: return s.landingAngle;
    case ShotTarget::Total: return s.total;
  }
  return 0.0;
}

std::vector<const Parameter*> DefaultFitted(Model m) {
  if (m == Model::Ball) return {FindByKey(m, "cd0"), FindByKey(m, "cl1")};
  return {FindByKey(m, "k"), FindByKey(m, "k_prime")};
}

std::string FitCannotMove(const FitProblem& p) {
  if (p.fitted.empty()) return "there is nothing to fit";
  if (p.shots.empty()) return "there are no shots";
  // Sorted by their keys, equal shots are neighbours: a big file is counted in
  // n log n, not by comparing every pair.
  std::vector<std::vector<double>> keys;
  keys.reserve(p.shots.size());
  for (const Shot& s : p.shots) keys.push_back(ShotKey(s, p.model, p.fitted));
  std::vector<std::size_t> order(p.shots.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&keys](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
  std::size_t targets = 0, distinctTargets = 0, distinct = 0;
  for (std::size_t k = 0; k < order.size(); ++k) {
    const std::size_t i = order[k];
    targets += TargetCount(p.shots[i]);
    if (k == 0 || keys[order[k - 1]] < keys[i]) {
      ++distinct;
      distinctTargets += TargetCount(p.shots[i]);
    }
  }
  const std::string params = std::to_string(p.fitted.size()) + " fitted parameter" +
                             (p.fitted.size() == 1 ? "" : "s");
  if (targets == 0) return "the shots have no target columns (" + TargetColumnNames(p.model) + ")";
  if (distinctTargets < p.fitted.size()) {
    const std::string have = std::to_string(distinctTargets) + " target" + (distinctTargets == 1 ? "" : "s");
    if (distinct == 1 && p.shots.size() > 1) {
      return "all " + std::to_string(p.shots.size()) + " shots are identical: their " + have +
             " cannot settle " + params;
    }
    return "the shots give " + have + " for " + params + ": the fit cannot settle them";
  }
  return {};
}

FitResult FitShots(const FitProblem& p) {
  std::vector<double> lo, hi;
  for (const Parameter* f : p.fitted) {
    lo.push_back(f->Min(p.model));
    hi.push_back(f->Max(p.model));
  }
  FitResult r;
  const std::int64_t budget = 1000 * static_cast<std::int64_t>(p.fitted.size());
  auto objective = [&](const std::vector<double>& x) {
    const std::vector<ModelledShot> flown = Fly(p, x);
    // A step of the simplex may pass the budget by a few evaluations.
    if (p.afterEvaluation) p.afterEvaluation(r.evaluations, std::max(budget, r.evaluations));
    std::size_t n = 0;
    return SquaredErrors(p, flown, n);
  };
  r.values = MinimiseInBox(objective, p.start, lo, hi, budget, r.evaluations, &r.converged);
  r.modelled = Fly(p, r.values);
  std::size_t n = 0;
  const double sum = SquaredErrors(p, r.modelled, n);
  r.rms = n ? std::sqrt(sum / static_cast<double>(n)) : 0.0;
  return r;
}

std::vector<double> MinimiseInBox(const std::function<double(const std::vector<double>&)>& f,
                                  std::vector<double> x0, const std::vector<double>& lo,
                                  const std::vector<double>& hi, std::int64_t maxEvaluations,
                                  std::int64_t& evaluations, bool* converged) {
  const std::size_t n = x0.size();
  if (converged) *converged = true;
  auto inBox = [&](std::vector<double>& x) {
    for (std::size_t i = 0; i < n; ++i) x[i] = std::clamp(x[i], lo[i], hi[i]);
  };
  auto eval = [&](std::vector<double>& x) {
    inBox(x);
    ++evaluations;
    const double v = f(x);
    return std::isnan(v) ? kInf : v;
  };
  // x = a + c · (b − a), projected into the box.
  auto along = [&](const std::vector<double>& a, const std::vector<double>& b, double c) {
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i) x[i] = a[i] + c * (b[i] - a[i]);
    return x;
  };
  inBox(x0);

  // One restart from the best point: a simplex can collapse early on a step of the
  // objective, and a fresh one around the answer checks it.
  for (int round = 0; round < 2; ++round) {
    std::vector<std::vector<double>> p(n + 1, x0);
    std::vector<double> fv(n + 1);
    for (std::size_t i = 0; i < n; ++i) {
      double h = x0[i] != 0.0 ? 0.1 * std::fabs(x0[i]) : 1e-3 * (hi[i] - lo[i]);
      if (x0[i] + h > hi[i]) h = -h;
      p[i + 1][i] = x0[i] + h;
    }
    for (std::size_t i = 0; i <= n; ++i) fv[i] = eval(p[i]);

    std::vector<std::size_t> order(n + 1);
    while (true) {
      std::iota(order.begin(), order.end(), 0);
      std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return fv[a] < fv[b]; });
      const std::size_t best = order[0], worst = order[n], second = order[n - 1];

      double size = 0.0;  // the simplex's extent relative to the box
      for (std::size_t j = 0; j <= n; ++j) {
        for (std::size_t i = 0; i < n; ++i) {
          size = std::max(size, std::fabs(p[j][i] - p[best][i]) / std::max(std::fabs(p[best][i]), 1e-9 * (hi[i] - lo[i])));
        }
      }
      if (evaluations >= maxEvaluations || size <= 1e-11 || (fv[best] == fv[worst] && size <= 1e-8)) break;

      std::vector<double> c(n, 0.0);
      for (std::size_t j = 0; j <= n; ++j) {
        if (j == worst) continue;
        for (std::size_t i = 0; i < n; ++i) c[i] += p[j][i];
      }
      for (double& v : c) v /= static_cast<double>(n);

      std::vector<double> xr = along(c, p[worst], -1.0);
      const double fr = eval(xr);
      if (fr < fv[best]) {
        std::vector<double> xe = along(c, p[worst], -2.0);
        const double fe = eval(xe);
        if (fe < fr) {
          p[worst] = xe;
          fv[worst] = fe;
        } else {
          p[worst] = xr;
          fv[worst] = fr;
        }
        continue;
      }
      if (fr < fv[second]) {
        p[worst] = xr;
        fv[worst] = fr;
        continue;
      }
      const bool outside = fr < fv[worst];
      std::vector<double> xc = outside ? along(c, xr, 0.5) : along(c, p[worst], 0.5);
      const double fc = eval(xc);
      if (fc < (outside ? fr : fv[worst])) {
        p[worst] = xc;
        fv[worst] = fc;
        continue;
      }
      for (std::size_t j = 0; j <= n; ++j) {  // shrink toward the best vertex
        if (j == best) continue;
        p[j] = along(p[best], p[j], 0.5);
        fv[j] = eval(p[j]);
      }
    }
    x0 = p[order[0]];
    if (evaluations >= maxEvaluations) {
      if (converged) *converged = false;
      break;
    }
  }
  return x0;
}

}  // namespace vendrel
