#pragma once
// Sequences of user events against the real dialog, read from bytes: typing into any box
// a user can reach, focus moves, the buttons, timer ticks, system commands and paints, in
// any order. After every event: at most one timer, every flight parameter the last value
// accepted for it, the form inside its ranges, at most one validation message open.
// The dialog fuzzer plays them, and so does the test that a restored dialog behaves as a
// new one.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "flight/flight_records.h"

class CSimulatorDlg;

namespace vendrel::fuzz {

/// Every message box is answered at once from now on, its nesting noted.
void AnswerMessagesAtOnce();

/// A new main dialog, shown, active and settled: where every sequence starts. Null when
/// it could not be created.
std::unique_ptr<CSimulatorDlg> OpenDialog();

class DialogEvents {
 public:
  /// Starts a sequence on `dlg` as it is now.
  explicit DialogEvents(CSimulatorDlg& dlg);

  /// Plays the event at `p`, which moves past the bytes it read (missing bytes read 0).
  void Play(const std::uint8_t*& p, const std::uint8_t* end);
  /// What the last event broke, or nullptr when every invariant holds.
  const char* Check();
  /// False once an event closed the dialog: the rest of the sequence reaches nobody.
  bool open() const { return open_; }

  /// The longest sequence a fuzz input plays; the rest of the input is ignored.
  static constexpr std::size_t kMaxBytes = 256;

 private:
  struct Params {
    double mass, gravity, lift, side, back, drag, dt, vel1, vel2, vel3;
  };
  static Params ParamsOf(const FlightState& s);

  CSimulatorDlg& dlg_;
  Params last_{};
  bool open_ = true;
};

}  // namespace vendrel::fuzz
