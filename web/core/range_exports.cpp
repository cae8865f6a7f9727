// What the range page asks of the module: the ball model's rows of the parameter table
// (labels, units, ranges), their units in either system, the named surfaces, and one
// shot flown with its ground phase, every point tagged with its phase. Values cross in
// the model's units; the page converts through rangeConvert, so a value typed in mph
// reaches the model with the bits the command line gives it.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cmath>
#include <string>
#include <vector>

#include "flight/ball_flight.h"
#include "flight/ball_ground.h"
#include "flight/ball_params.h"
#include "flight/parameters.h"
#include "web/core/api_flight.h"

using namespace vendrel;

namespace {

std::vector<double> g_points;  // t, x, y, z, phase of the last shot, one after the other

Units UnitsOf(bool imperial) { return imperial ? Units::Imperial : Units::Metric; }

// A parameter's quantity by its key, or a result's: "distance" (carry, lateral),
// "height" (apex) or "speed". False for anything else.
bool QuantityOf(const std::string& key, Quantity& q) {
  if (key == "distance") q = Quantity::Distance;
  else if (key == "height") q = Quantity::Height;
  else if (const Parameter* p = FindByKey(Model::Ball, key)) q = p->quantity;
  else return false;
  return true;
}

// [{key, label, help, quantity unit in each system, min, max, default}] in the model's units.
emscripten::val Parameters() {
  emscripten::val list = emscripten::val::array();
  for (const Parameter& row : ParametersOf(Model::Ball)) {
    const Parameter p = ForModel(row, Model::Ball);
    emscripten::val o = emscripten::val::object();
    o.set("key", std::string(p.key));
    o.set("label", std::string(p.label));
    o.set("help", std::string(p.help));
    o.set("unit", std::string(p.Unit(Units::Metric)));
    o.set("unitImperial", std::string(p.Unit(Units::Imperial)));
    o.set("min", p.min);
    o.set("max", p.max);
    o.set("default", p.defaultValue);
    list.call<void>("push", o);
  }
  return list;
}

emscripten::val Surfaces() {
  emscripten::val list = emscripten::val::array();
  for (std::string_view name : SurfaceNames()) list.call<void>("push", std::string(name));
  return list;
}

// `v` from the person's units to the model's (toModel) or back; NaN for an unknown key.
double Convert(const std::string& key, bool imperial, bool toModel, double v) {
  Quantity q{};
  if (!QuantityOf(key, q)) return NAN;
  return toModel ? ToModel(q, UnitsOf(imperial), v) : FromModel(q, UnitsOf(imperial), v);
}

std::string Unit(const std::string& key, bool imperial) {
  Quantity q{};
  return QuantityOf(key, q) ? std::string(UnitText(q, UnitsOf(imperial))) : std::string();
}

// Back and side spin of a total spin about its axis, as the range derives them.
emscripten::val SpinParts(double total, double axis) {
  double back = 0.0, side = 0.0;
  SpinComponents(total, axis, back, side);
  emscripten::val o = emscripten::val::object();
  o.set("back_spin", back);
  o.set("side_spin", side);
  return o;
}

// One shot: `values` maps keys of the ball's rows to numbers in the model's units (the
// rest keep their defaults), `surface` names the ground ("" for the default). Returns
// {message} when refused, else the summary; its points are at rangePoints().
emscripten::val Shot(emscripten::val values, const std::string& surface) {
  emscripten::val out = emscripten::val::object();
  web::ApiRequest request;
  std::string error;
  web::SetApiText(request, "model", "ball", error);
  const emscripten::val keys = emscripten::val::global("Object").call<emscripten::val>("keys", values);
  const int count = keys["length"].as<int>();
  for (int i = 0; i < count; ++i) {
    const std::string key = keys[i].as<std::string>();
    const emscripten::val v = values[key];
    const bool ok = v.isNumber() ? web::SetApiNumber(request, key, v.as<double>(), error)
                                 : web::SetApiText(request, key, v.as<std::string>(), error);
    if (!ok) {
      out.set("message", error);
      return out;
    }
  }
  if (!surface.empty() && !web::SetApiText(request, "surface", surface, error)) {
    out.set("message", error);
    return out;
  }
  error = BallShotRefusal(request.ball);
  if (!error.empty()) {
    out.set("message", error);
    return out;
  }
  g_points.assign({0.0, 0.0, 0.0, 0.0, static_cast<double>(BallPhase::Flight)});
  const BallSummary s = FlyBall(request.ball, [](std::int64_t, const BallPoint& b) {
    g_points.insert(g_points.end(), {b.t, b.p[0], b.p[1], b.p[2], static_cast<double>(b.phase)});
  });
  out.set("end", std::string(FlightEndName(s.end)));
  out.set("landed", s.landed());
  out.set("carry", s.distance);
  out.set("apex", s.apex);
  out.set("landing_angle", s.landingAngle);
  out.set("flight_time", s.flightTime);
  out.set("lateral", s.lateral);
  out.set("total", s.total);
  out.set("roll", s.roll);
  out.set("rest_x", s.rest[0]);
  out.set("rest_y", s.rest[1]);
  out.set("bounces", static_cast<double>(s.bounces));
  out.set("time_to_rest", s.timeToRest);
  return out;
}

emscripten::val Points() {
  return emscripten::val(emscripten::typed_memory_view(g_points.size(), g_points.data()));
}

}  // namespace

EMSCRIPTEN_BINDINGS(vendrel_range) {
  using namespace emscripten;
  function("rangeParameters", &Parameters);
  function("rangeSurfaces", &Surfaces);
  function("rangeConvert", &Convert);
  function("rangeUnit", &Unit);
  function("rangeSpinParts", &SpinParts);
  function("rangeShot", &Shot);
  function("rangePoints", &Points);
}
