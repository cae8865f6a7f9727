// The functions the page and the API call. The page's are plain C: numbers in and out,
// strings as UTF-8 pointers into the module's memory. The API's results and the names
// of the parameter table cross as named fields (embind). The page's dialog and the
// API's request live here for the life of the module.
#include <emscripten/bind.h>
#include <emscripten/emscripten.h>
#include <emscripten/val.h>

#include <string>
#include <vector>

#include "flight/parameters.h"
#include "flight/trajectory.h"
#include "res/resource_ids.h"
#include "web/core/api_flight.h"
#include "web/core/page_dialog.h"
#include "web/core/page_fields.h"

using namespace vendrel;
using namespace vendrel::web;

namespace {

PageDialog& Dialog() {
  static PageDialog dialog;
  return dialog;
}

std::string g_message;  // the last refusal
std::string g_text;     // the last text handed out
ApiRequest g_request;
std::vector<double> g_rows;
std::vector<std::uint8_t> g_phases;  // the ball model's rows' phases, BallPhase by number
int g_dirty[4];

struct Point {
  double x, y, z;
};
struct Point2 {
  double x, y;
};

// One flight, as the command line's JSON gives it (the page writes null for what is
// not finite, and for the carry when there is none).
struct ApiOutcome {
  double ticks;
  std::string end;
  bool landed;
  bool carryChanged;
  double carry;
  double distance;
  Point landing;
  double apex;
  bool ball;  ///< the ball model's flight: the three below are its own
  double landingAngle;
  double flightTime;
  double lateral;
  double total;  ///< where the ball came to rest: these five
  double roll;
  Point2 rest;
  double bounces;
  double timeToRest;
};

ApiOutcome Fly() {
  if (g_request.model == Model::Ball) {
    const BallSummary s = FlyBallApi(g_request);
    const FlightSummary out = BallAsFlightSummary(s);
    return {static_cast<double>(out.ticks), FlightEndName(out.end), out.landed(), out.carryChanged,
            out.carry, out.distance, {out.landing[1], out.landing[2], out.landing[3]}, out.apex,
            true, s.landingAngle, s.flightTime, s.lateral, s.total, s.roll, {s.rest[0], s.rest[1]},
            static_cast<double>(s.bounces), s.timeToRest};
  }
  const FlightOutcome out = FlyApi(g_request);
  return {static_cast<double>(out.ticks), FlightEndName(out.end), out.landed(), out.carryChanged,
          out.carry, out.distance, {out.landing[1], out.landing[2], out.landing[3]}, out.apex,
          false, 0.0, 0.0, 0.0, 0.0, 0.0, {0.0, 0.0}, 0.0, 0.0};
}

void AddRow(const TrajectoryRow& r) {
  g_rows.insert(g_rows.end(), {static_cast<double>(r.tick), r.t, r.x, r.y, r.z, r.vx, r.vy, r.vz});
}

// The trajectory's rows, their columns in kTrajectoryColumns order, at trajectoryRows();
// a ball shot's phases apart, one a row, at trajectoryPhaseRows() (none for the form's).
int Trajectory() {
  g_rows.clear();
  g_phases.clear();
  if (g_request.model == Model::Ball) {
    for (const BallTrajectoryRow& r : BallTrajectoryApi(g_request)) {
      AddRow(r.row);
      g_phases.push_back(static_cast<std::uint8_t>(r.phase));
    }
  } else {
    for (const TrajectoryRow& r : TrajectoryApi(g_request)) AddRow(r);
  }
  return static_cast<int>(g_rows.size() / kTrajectoryColumns.size());
}
emscripten::val TrajectoryPhaseRows() {
  return emscripten::val(emscripten::typed_memory_view(g_phases.size(), g_phases.data()));
}
emscripten::val TrajectoryRows() {
  return emscripten::val(emscripten::typed_memory_view(g_rows.size(), g_rows.data()));
}
void ReleaseRows() {
  std::vector<double>().swap(g_rows);
  std::vector<std::uint8_t>().swap(g_phases);
}

// The form model's parameters as the page and the API name them: [{option, key}, ...].
emscripten::val Parameters() {
  emscripten::val list = emscripten::val::array();
  for (const Parameter& p : ParametersOf(Model::Form)) {
    emscripten::val row = emscripten::val::object();
    row.set("option", std::string(p.option));
    row.set("key", std::string(p.key));
    list.call<void>("push", row);
  }
  return list;
}

emscripten::val TrajectoryColumns() {
  emscripten::val list = emscripten::val::array();
  for (std::string_view c : kTrajectoryColumns) list.call<void>("push", std::string(c));
  return list;
}

// The phases' names, by their number in trajectoryPhaseRows().
emscripten::val TrajectoryPhases() {
  emscripten::val list = emscripten::val::array();
  for (BallPhase p : {BallPhase::Flight, BallPhase::Bounce, BallPhase::Roll}) {
    list.call<void>("push", std::string(BallPhaseName(p)));
  }
  return list;
}

int Report(const std::optional<Refusal>& refusal) {
  if (!refusal) return 0;
  g_message = refusal->message;
  return refusal->id;
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* vd_message() { return g_message.c_str(); }

// The page's dialog. Calls that exchange the form return 0, or the id of the refused
// box with its message in vd_message().
EMSCRIPTEN_KEEPALIVE void vd_page_set_text(int id, const char* utf8) {
  Dialog().boxes().SetText(id, utf8);
}
EMSCRIPTEN_KEEPALIVE const char* vd_page_text(int id) {
  const PageField* field = FieldById(id);
  const FlightForm& form = Dialog().form();
  g_text = PageForm::Text(field != nullptr ? form.*(field->member) : form.carry);
  return g_text.c_str();
}
EMSCRIPTEN_KEEPALIVE int vd_page_calculate() { return Report(Dialog().Calculate()); }
EMSCRIPTEN_KEEPALIVE int vd_page_commit(int id) { return Report(Dialog().Commit(id)); }
EMSCRIPTEN_KEEPALIVE int vd_page_apply(int id, const char* utf8) {
  return Report(Dialog().Apply(id, utf8));
}
EMSCRIPTEN_KEEPALIVE void vd_page_defaults() { Dialog().Defaults(); }
EMSCRIPTEN_KEEPALIVE void vd_page_stop() { Dialog().Stop(); }
EMSCRIPTEN_KEEPALIVE int vd_page_ticks(int count) { return Dialog().RunTicks(count); }
EMSCRIPTEN_KEEPALIVE int vd_page_running() { return Dialog().running() ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE int vd_page_carry_shown() { return Dialog().TakeCarryShown() ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE int vd_page_field_id(const char* name) {
  const PageField* field = FieldByName(name);
  return field != nullptr ? field->id : 0;
}

EMSCRIPTEN_KEEPALIVE const std::uint8_t* vd_surface_pixels() { return Dialog().surface().pixels(); }
EMSCRIPTEN_KEEPALIVE int vd_surface_width() { return Dialog().surface().width(); }
EMSCRIPTEN_KEEPALIVE int vd_surface_height() { return Dialog().surface().height(); }
// x, y, width, height of what changed since the last call.
EMSCRIPTEN_KEEPALIVE const int* vd_surface_dirty() {
  const DirtyRect r = Dialog().surface().TakeDirty();
  g_dirty[0] = r.x;
  g_dirty[1] = r.y;
  g_dirty[2] = r.width;
  g_dirty[3] = r.height;
  return g_dirty;
}

// The API: a request built one parameter at a time, then flown. Setters return 1, or
// 0 with the command line's message in vd_message().
EMSCRIPTEN_KEEPALIVE void vd_api_reset() { g_request = ApiRequest{}; }
EMSCRIPTEN_KEEPALIVE int vd_api_set_number(const char* key, double value) {
  return SetApiNumber(g_request, key, value, g_message) ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE int vd_api_set_text(const char* key, const char* utf8) {
  return SetApiText(g_request, key, utf8, g_message) ? 1 : 0;
}

// After the last setter: 1, or 0 with the refusal of rules that join parameters.
EMSCRIPTEN_KEEPALIVE int vd_api_check() {
  g_message = g_request.model == Model::Ball ? BallShotRefusal(g_request.ball) : std::string();
  return g_message.empty() ? 1 : 0;
}

}  // extern "C"

EMSCRIPTEN_BINDINGS(vendrel_api) {
  using namespace emscripten;
  value_object<Point>("Point").field("x", &Point::x).field("y", &Point::y).field("z", &Point::z);
  value_object<Point2>("Point2").field("x", &Point2::x).field("y", &Point2::y);
  value_object<ApiOutcome>("ApiOutcome")
      .field("ticks", &ApiOutcome::ticks)
      .field("end", &ApiOutcome::end)
      .field("landed", &ApiOutcome::landed)
      .field("carryChanged", &ApiOutcome::carryChanged)
      .field("carry", &ApiOutcome::carry)
      .field("distance", &ApiOutcome::distance)
      .field("landing", &ApiOutcome::landing)
      .field("apex", &ApiOutcome::apex)
      .field("ball", &ApiOutcome::ball)
      .field("landingAngle", &ApiOutcome::landingAngle)
      .field("flightTime", &ApiOutcome::flightTime)
      .field("lateral", &ApiOutcome::lateral)
      .field("total", &ApiOutcome::total)
      .field("roll", &ApiOutcome::roll)
      .field("rest", &ApiOutcome::rest)
      .field("bounces", &ApiOutcome::bounces)
      .field("timeToRest", &ApiOutcome::timeToRest);
  function("apiFly", &Fly);
  function("apiTrajectory", &Trajectory);
  function("apiTrajectoryRows", &TrajectoryRows);
  function("apiTrajectoryPhaseRows", &TrajectoryPhaseRows);
  function("trajectoryPhases", &TrajectoryPhases);
  function("apiReleaseRows", &ReleaseRows);
  function("parameters", &Parameters);
  function("trajectoryColumns", &TrajectoryColumns);
}
