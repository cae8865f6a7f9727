#pragma once
// Puts a used main dialog back into the state it had when it was new, so that one dialog
// can serve test after test (a new one costs tens of milliseconds in the sanitizer build).

#include <QPointer>
#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

#include "flight/flight_records.h"
#include "platform/pixel_buffer.h"

class CSimulatorDlg;
class QLineEdit;
class QWidget;

namespace vendrel::test {

class DialogReset {
 public:
  /// Notes the state of `dlg` to come back to: it must be shown, active and settled
  /// (the event loop has run since it was created).
  explicit DialogReset(CSimulatorDlg& dlg);

  /// Back to the noted state: no timer, no paint pending, the surface as it was, the
  /// window shown normal and active with the focus where it was, the texts of the boxes,
  /// the form, the flight state and the view's flags. And what its paint cycles drew.
  void Restore();

 private:
  CSimulatorDlg& dlg_;
  FlightForm form_;
  FlightState state_;
  std::int32_t drawMode_;
  std::int32_t clearPending_;
  PixelBuffer surface_;
  PixelBuffer paintScreen_;
  QPointer<QWidget> focus_;
  std::vector<std::pair<QPointer<QLineEdit>, QString>> texts_;
};

}  // namespace vendrel::test
