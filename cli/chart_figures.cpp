#include "cli/chart_figures.h"

#include <QString>

#include <cmath>

#include "flight/shot_table.h"

namespace vendrel::cli {
namespace {

constexpr std::size_t kMaxPathPoints = 20000;

// A value for a person: enough digits to tell values apart, no more.
std::string Show(double v, int digits = 6) { return QString::number(v, 'g', digits).toStdString(); }
std::string Length(double metres, Units u) {
  return QString::number(LengthFromModel(u, metres), 'f', 1).toStdString() + " " + LengthUnit(u);
}

// "angle 30°", "speed 70 m/s", "K' 0.03".
std::string ParameterValue(const Parameter& f, Units u, double model) {
  const std::string unit(f.Unit(u));
  std::string name = f.form == &FlightForm::k ? "K" : f.form == &FlightForm::kPrime ? "K'" : std::string(f.key);
  for (char& c : name) c = c == '_' ? ' ' : c;
  const std::string v = Show(FromModel(f, u, model));
  if (unit == "deg") return name + " " + v + "°";
  return name + " " + v + (unit.empty() ? "" : " " + (unit == "m/s^2" ? std::string("m/s²") : unit));
}

QPointF Pt(double x, double y) { return QPointF(x, y); }

ChartPanel PathPanel(const std::string& title, const std::string& yTitle, Units u) {
  ChartPanel p;
  p.title = title;
  p.x.title = std::string("downrange (") + LengthUnit(u) + ")";
  p.y.title = yTitle + " (" + LengthUnit(u) + ")";
  p.equalScale = true;
  return p;
}

}  // namespace

void FlightPath::Add(const Vec5& pos) {
  if (pos[3] > apex_[2]) apex_ = {pos[1], pos[2], pos[3]};
  if (seen_++ % stride_ != 0) return;
  points_.push_back({pos[1], pos[2], pos[3]});
  if (points_.size() >= kMaxPathPoints) {  // keep every other point from here on
    std::size_t k = 0;
    for (std::size_t i = 0; i < points_.size(); i += 2) points_[k++] = points_[i];
    points_.resize(k);
    stride_ *= 2;
  }
}

std::string ParameterTitle(const Parameter& f, Units u) {
  std::string unit(f.Unit(u));
  if (unit == "deg") unit = "°";
  if (unit == "m/s^2") unit = "m/s²";
  return std::string(f.label) + (unit.empty() ? "" : " (" + unit + ")");
}

Figure FlightFigure(const std::vector<ChartedFlight>& flights, Units u) {
  Figure fig;
  fig.title = flights.size() > 1 ? "Flights compared" : "Flight";
  ChartPanel side = PathPanel("Side view", "height", u);
  ChartPanel top = PathPanel("Top view", "lateral", u);
  for (std::size_t i = 0; i < flights.size(); ++i) {
    const ChartedFlight& f = flights[i];
    ChartLine s, t;
    s.color = t.color = SeriesColor(i);
    for (const auto& q : f.path.points()) {
      s.points.push_back(Pt(LengthFromModel(u, q[0]), LengthFromModel(u, q[2])));
      t.points.push_back(Pt(LengthFromModel(u, q[0]), LengthFromModel(u, q[1])));
    }
    // The legend names a flight by what differs from the first.
    std::string name;
    for (const Parameter& field : ParametersOf(Model::Form)) {
      if (i == 0 || f.form.*(field.form) == flights[0].form.*(field.form)) continue;
      name += (name.empty() ? "" : ", ") + ParameterValue(field, u, f.form.*(field.form));
    }
    s.legend = i == 0 ? "first flight" : name.empty() ? "same as the first" : name;
    side.lines.push_back(s);
    top.lines.push_back(t);

    const auto apex = f.path.apex();
    side.marks.push_back({Pt(LengthFromModel(u, apex[0]), LengthFromModel(u, apex[2])),
                          "apex " + Length(f.summary.apex, u), SeriesColor(i)});
    if (f.summary.end == FlightEnd::Ground) {
      const Vec5& l = f.summary.landing;
      side.marks.push_back({Pt(LengthFromModel(u, l[1]), LengthFromModel(u, l[3])),
                            "landing " + Length(f.summary.distance, u), SeriesColor(i)});
      top.marks.push_back({Pt(LengthFromModel(u, l[1]), LengthFromModel(u, l[2])),
                           "lateral " + Length(l[2], u), SeriesColor(i)});
    }
    if (f.rests) {
      const QPointF r = Pt(LengthFromModel(u, f.rest[0]), LengthFromModel(u, f.rest[1]));
      side.marks.push_back({Pt(r.x(), 0.0), "rest, total " + Length(f.total, u), SeriesColor(i)});
      top.marks.push_back({r, "rest " + Length(f.rest[1], u), SeriesColor(i)});
    }
  }
  fig.panels = {side, top};
  return fig;
}

Figure SweepLineFigure(const Parameter& f, const std::vector<double>& values,
                       const std::vector<BallSummary>& flights, Units u, Model model) {
  Figure fig;
  fig.title = "Sweep over " + ParameterTitle(f, u).substr(0, ParameterTitle(f, u).find(" ("));
  // One panel per result: its title, its axis, what it measures and where it is.
  struct Result {
    const char* title;
    const char* shortTitle;  // three panels to a row
    const char* axis;
    Quantity quantity;
    double (*of)(const BallSummary&);
  };
  static const Result results[] = {
      {"Carry (distance of the landing point)", "Carry", "carry", Quantity::Distance,
       [](const BallSummary& s) { return s.distance; }},
      {"Apex (highest point)", "Apex (highest point)", "apex", Quantity::Distance,
       [](const BallSummary& s) { return s.apex; }},
      {"Lateral offset at landing", "Lateral offset at landing", "lateral", Quantity::Distance,
       [](const BallSummary& s) { return s.landing[2]; }},
      {"Landing angle", "Landing angle", "landing angle", Quantity::Angle,
       [](const BallSummary& s) { return s.landingAngle; }},
      {"Flight time", "Flight time", "flight time", Quantity::Time, [](const BallSummary& s) { return s.flightTime; }},
      {"Total (to the rest point)", "Total (to the rest point)", "total", Quantity::Distance,
       [](const BallSummary& s) { return s.total; }},
  };
  const std::size_t panels = model == Model::Ball ? std::size(results) : 3;
  for (std::size_t k = 0; k < panels; ++k) {
    const Result& r = results[k];
    ChartPanel p;
    p.title = model == Model::Ball ? r.shortTitle : r.title;
    p.x.title = ParameterTitle(f, u);
    std::string unit(UnitText(r.quantity, u));
    if (unit == "deg") unit = "°";
    p.y.title = std::string(r.axis) + " (" + unit + ")";
    ChartLine l;
    l.color = SeriesColor(k);
    l.markers = values.size() <= 60;
    for (std::size_t i = 0; i < values.size(); ++i) {
      const BallSummary& s = flights[i];
      const double v = s.end != FlightEnd::Ground ? std::nan("") : r.of(s);
      l.points.push_back(Pt(values[i], FromModel(r.quantity, u, v)));
    }
    p.lines.push_back(l);
    fig.panels.push_back(p);
  }
  if (model == Model::Ball) fig.columns = 3;
  return fig;
}

Figure SweepHeatFigure(const Parameter& fx, const std::vector<double>& xs, const Parameter& fy,
                       const std::vector<double>& ys, const std::vector<double>& values,
                       const std::string& quantity, Units u) {
  Figure fig;
  ChartPanel p;
  p.x.title = ParameterTitle(fx, u);
  p.y.title = ParameterTitle(fy, u);
  ChartHeatMap h;
  h.xs = xs;
  h.ys = ys;
  h.title = quantity + " (" + LengthUnit(u) + ")";
  std::size_t best = values.size();
  for (std::size_t i = 0; i < values.size(); ++i) {
    h.values.push_back(LengthFromModel(u, values[i]));
    if (!std::isnan(values[i]) && (best == values.size() || values[i] > values[best])) best = i;
  }
  p.heat = h;
  const std::string name = quantity == "carry"   ? "Carry"
                           : quantity == "apex"  ? "Apex"
                           : quantity == "total" ? "Total"
                                                 : "Distance";
  fig.title = name + " over " + ParameterTitle(fx, u).substr(0, ParameterTitle(fx, u).find(" (")) + " and " +
              ParameterTitle(fy, u).substr(0, ParameterTitle(fy, u).find(" ("));
  p.title = name + " of every combination";
  if (best < values.size()) {
    const double x = xs[best % xs.size()], y = ys[best / xs.size()];
    p.title += "; the best marked";
    p.marks.push_back({Pt(x, y),
                       "best: " + ParameterValue(fx, u, ToModel(fx, u, x)) + ", " +
                           ParameterValue(fy, u, ToModel(fy, u, y)) + ": " + Length(values[best], u),
                       QColor(230, 30, 30)});
  }
  fig.panels = {p};
  return fig;
}

Figure DispersionFigure(const std::vector<FlightSummary>& flights, const DispersionStats& st,
                        std::uint64_t seed, Units u, std::span<const BallSummary> balls) {
  Figure fig;
  fig.title = "Dispersion of " + std::to_string(flights.size()) + " flights (seed " + std::to_string(seed) + ")";
  ChartPanel p = PathPanel("Landing points from above", "lateral", u);
  ChartDots d;
  d.color = SeriesColor(0);
  for (const FlightSummary& s : flights) {
    if (s.end == FlightEnd::Ground) d.points.push_back(Pt(LengthFromModel(u, s.landing[1]), LengthFromModel(u, s.landing[2])));
  }
  d.legend = "landing points (" + std::to_string(d.points.size()) + ")";
  p.dots.push_back(d);
  const Ellipse& e = st.ellipse;
  const QPointF centre = Pt(LengthFromModel(u, e.centreX), LengthFromModel(u, e.centreY));
  if (st.distance.count > 1) {
    p.ellipses.push_back({centre, LengthFromModel(u, e.major), LengthFromModel(u, e.minor), e.angle, SeriesColor(1),
                          "95% ellipse: " + Length(e.major, u) + " × " + Length(e.minor, u) + ", " +
                              Show(e.angle, 3) + "°"});
  }
  if (st.distance.count > 0) {
    p.marks.push_back({centre, "mean " + Length(e.centreX, u) + ", " + Length(e.centreY, u), QColor(20, 20, 20)});
  }
  if (!balls.empty()) {
    p.title = "Landing and rest points from above";
    ChartDots r;
    r.color = SeriesColor(2);
    for (const BallSummary& s : balls) {
      if (s.end == FlightEnd::Ground) r.points.push_back(Pt(LengthFromModel(u, s.rest[0]), LengthFromModel(u, s.rest[1])));
    }
    r.legend = "rest points (" + std::to_string(r.points.size()) + ")";
    p.dots.push_back(r);
    const Ellipse& re = st.restEllipse;
    const QPointF restCentre = Pt(LengthFromModel(u, re.centreX), LengthFromModel(u, re.centreY));
    if (st.total.count > 1) {
      p.ellipses.push_back({restCentre, LengthFromModel(u, re.major), LengthFromModel(u, re.minor), re.angle,
                            SeriesColor(3),
                            "95% rest ellipse: " + Length(re.major, u) + " × " + Length(re.minor, u) + ", " +
                                Show(re.angle, 3) + "°"});
    }
    if (st.total.count > 0) {
      p.marks.push_back({restCentre, "mean total " + Length(st.total.mean, u), QColor(20, 20, 20)});
    }
  }
  fig.panels = {p};
  return fig;
}

Figure ConvergenceFigure(const std::vector<double>& steps, const std::vector<FlightSummary>& flights, Units u) {
  Figure fig;
  fig.title = "Convergence of the time step";
  ChartPanel p;
  p.title = "Distance of the landing point at each time step";
  p.x.title = "time step dt (s)";
  p.x.log = true;
  p.y.title = std::string("distance (") + LengthUnit(u) + ")";
  ChartLine l;
  l.color = SeriesColor(0);
  l.markers = true;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const double d = flights[i].end == FlightEnd::Ground ? flights[i].distance : std::nan("");
    l.points.push_back(Pt(steps[i], LengthFromModel(u, d)));
    if (i == 0 || i + 1 == steps.size()) {
      p.marks.push_back({l.points.back(), "dt " + Show(steps[i], 3) + " s: " + Length(d, u), QColor(20, 20, 20)});
    }
  }
  p.lines.push_back(l);
  fig.panels = {p};
  return fig;
}

std::string FittedText(const FitProblem& problem, const FitResult& r, Units u) {
  std::string s;
  for (std::size_t i = 0; i < problem.fitted.size(); ++i) {
    const Parameter& f = *problem.fitted[i];
    const std::string v = ParameterValue(f, u, r.values[i]);
    const std::size_t space = v.find(' ');
    s += (i ? ", " : "") + v.substr(0, space) + " =" + v.substr(space);
  }
  return s;
}

Figure FitFigure(const ShotsFile& shots, const FitProblem& problem, const FitResult& r,
                 const std::string& fileName, Units u) {
  Figure fig;
  fig.title = "Fit to " + fileName + ": " + FittedText(problem, r, u) + ", RMS error " + Show(r.rms * 100.0, 3) + "%";
  for (std::size_t t = 0; t < kShotTargets; ++t) {
    if (!shots.targetColumns[t]) continue;
    const auto target = static_cast<ShotTarget>(t);
    std::string name = ShotTargetName(target, shots.model);
    for (char& c : name) c = c == '_' ? ' ' : c;
    const auto shown = [&](double v) { return FromModel(ShotTargetQuantity(target), u, v); };
    const std::string unit(UnitText(ShotTargetQuantity(target), u));
    ChartPanel p;
    p.title = std::string(1, static_cast<char>(std::toupper(name[0]))) + name.substr(1) + ": modelled against measured";
    p.x.title = "measured " + name + " (" + unit + ")";
    p.y.title = "modelled " + name + " (" + unit + ")";
    ChartDots d;
    d.color = SeriesColor(0);
    d.radius = 4.0;
    d.legend = "shots";
    double lo = 1e300, hi = -1e300;
    for (std::size_t i = 0; i < shots.shots.size(); ++i) {
      if (!shots.shots[i].measured[t]) continue;
      const double m = shown(*shots.shots[i].measured[t]);
      const double f = shown(ModelledTarget(r.modelled[i], target));
      d.points.push_back(Pt(m, f));
      if (shots.shots.size() <= 30) d.labels.push_back(shots.names[i]);
      lo = std::min({lo, m, f});
      hi = std::max({hi, m, f});
    }
    ChartLine same;
    same.color = QColor(150, 150, 150);
    same.width = 1.5;
    same.dashed = true;
    same.legend = "modelled = measured";
    same.points = {Pt(lo, lo), Pt(hi, hi)};
    p.lines.push_back(same);
    p.dots.push_back(d);
    fig.panels.push_back(p);
  }
  if (fig.panels.size() > 1) fig.columns = 2;
  if (fig.panels.size() == 3 || fig.panels.size() > 4) fig.columns = 3;
  return fig;
}

}  // namespace vendrel::cli
