// The functions the page and the API call, as plain C: numbers in and out, strings as
// UTF-8 pointers into the module's memory. The page's dialog and the API's request
// live here for the life of the module.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <string>
#include <vector>

#include "res/resource.h"
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
double g_outcome[10];
std::vector<double> g_rows;
int g_dirty[4];

int Report(const std::optional<Refusal>& refusal) {
  if (!refusal) return 0;
  g_message = refusal->message;
  return refusal->id;
}

int EndCode(FlightEnd end) {
  switch (end) {
    case FlightEnd::Ground: return 0;
    case FlightEnd::NotANumber: return 1;
    case FlightEnd::MaxTicks: break;
  }
  return 2;
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
// ticks, end (0 ground, 1 nan, 2 max-ticks), carry changed, carry, distance, landing
// x, y, z, apex.
EMSCRIPTEN_KEEPALIVE const double* vd_api_fly() {
  const FlightOutcome out = FlyApi(g_request);
  const double values[10] = {static_cast<double>(out.ticks),
                             static_cast<double>(EndCode(out.end)),
                             out.carryChanged ? 1.0 : 0.0,
                             out.carry,
                             out.distance,
                             out.landing[1],
                             out.landing[2],
                             out.landing[3],
                             out.apex,
                             0.0};
  std::copy(values, values + 10, g_outcome);
  return g_outcome;
}
// Runs the trajectory; returns the number of rows, eight doubles each at vd_api_rows().
EMSCRIPTEN_KEEPALIVE int vd_api_trajectory() {
  g_rows.clear();
  for (const TrajectoryRow& r : TrajectoryApi(g_request)) {
    g_rows.insert(g_rows.end(), {static_cast<double>(r.tick), r.t, r.x, r.y, r.z, r.vx, r.vy, r.vz});
  }
  return static_cast<int>(g_rows.size() / 8);
}
EMSCRIPTEN_KEEPALIVE const double* vd_api_rows() { return g_rows.data(); }
EMSCRIPTEN_KEEPALIVE void vd_api_release_rows() { std::vector<double>().swap(g_rows); }

}  // extern "C"
