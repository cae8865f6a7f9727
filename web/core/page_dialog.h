#pragma once
// The main dialog as the page runs it: the form, the flight state and the view flag,
// the same run control as the desktop's behind a host whose timer is the page's
// animation frames, and the dialog's surface as an RGBA buffer the canvas shows.

#include <cstdint>
#include <optional>
#include <string_view>

#include "flight/flight_records.h"
#include "flight/run_control.h"
#include "web/core/page_form.h"
#include "web/core/page_surface.h"

namespace vendrel::web {

class PageDialog {
 public:
  PageDialog();

  PageForm& boxes() { return boxes_; }
  const FlightForm& form() const { return form_; }
  const FlightState& state() const { return state_; }
  PageSurface& surface() { return surface_; }

  /// 計算: the whole form is exchanged; a refusal starts nothing.
  std::optional<Refusal> Calculate();
  /// A box was left: the whole form is exchanged and, if it passed, that box's value
  /// reaches the flight state (the launch boxes form the launch velocity).
  std::optional<Refusal> Commit(int id);
  /// A value from outside the form (the URL), checked as if typed into box `id`; if
  /// it passes, the form and the box take it.
  std::optional<Refusal> Apply(int id, std::string_view text);
  /// ＤＥＦＡＵＬＴ: the defaults into the form and the boxes; the flight keeps its own.
  void Defaults();
  /// STOP.
  void Stop() { run_.Stop(); }

  /// Runs up to `count` ticks while the timer runs, each followed by the paint it asks
  /// for, as the desktop's message loop serves a paint before the next tick. Returns
  /// how many ticks ran.
  int RunTicks(int count);
  bool running() const { return host_.timerRunning; }
  /// Whether a landing wrote a new carry since the last call.
  bool TakeCarryShown();

 private:
  class Host final : public FlightHost {
   public:
    void StartTimer() override { timerRunning = true; }
    void KillTimer() override { timerRunning = false; }
    void RequestRepaint() override { repaintPending = true; }
    void ShowCarry() override { carryShown = true; }

    bool timerRunning = false;
    bool repaintPending = false;
    bool carryShown = false;
  };

  void Paint();

  FlightForm form_;
  FlightState state_;
  std::int32_t drawMode_ = 0;
  PageForm boxes_;
  PageSurface surface_;
  Host host_;
  RunControl run_{form_, state_, host_};
};

}  // namespace vendrel::web
