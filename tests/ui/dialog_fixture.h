#pragma once
// The main dialog opened for a test: modeless, shown and active, the program's
// resources installed, every message box answered at once and recorded. The view's
// tests use it too.

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "res/vendrel_res.h"
#include "tests/support/paint_screen.h"
#include "tests/support/test_access.h"
#include "ui/simulator_dlg.h"

namespace vendrel::test {

inline std::vector<std::string>& ShownMessages() {
  static std::vector<std::string> messages;
  return messages;
}

inline int AnswerMessage(const char* text, UINT) {
  ShownMessages().emplace_back(text);
  return IDOK;
}

/// Bit for bit the same record (NaNs included; no padding compared).
inline bool Same(const FlightState& a, const FlightState& b) {
  constexpr std::size_t size = offsetof(FlightState, firstTick) + sizeof a.firstTick;
  return std::memcmp(&a, &b, size) == 0;
}
inline bool Same(const FlightForm& a, const FlightForm& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    res::Install();
    AfxSetMessageBoxHook(&AnswerMessage);
    ShownMessages().clear();
    dlg = std::make_unique<CSimulatorDlg>();
    ASSERT_TRUE(dlg->Create());
    QWidget* w = dlg->GetSafeHwnd();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
  }

  void TearDown() override {
    dlg.reset();
    AfxSetMessageBoxHook(nullptr);
  }

  QLineEdit* Edit(int id) const { return qobject_cast<QLineEdit*>(dlg->GetDlgItem(id)); }
  QPushButton* Button(int id) const {
    return qobject_cast<QPushButton*>(dlg->GetDlgItem(id));
  }
  QString Text(int id) const { return Edit(id)->text(); }

  /// Types `text` into a box that has the focus, then moves the focus on with Tab's
  /// reason (sent explicitly: offscreen windows do not always move it themselves).
  void Enter(int id, const QString& text) {
    Edit(id)->setFocus(Qt::TabFocusReason);
    Edit(id)->setText(text);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(Edit(id), &out);
  }

  /// Runs the event loop until `done` holds or `ms` have passed.
  template <class Pred>
  static bool WaitUntil(Pred done, int ms = 20000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
      if (clock.elapsed() > ms) return false;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
  }

  bool Running() const { return TestAccess::IsRunning(*dlg); }

  std::unique_ptr<CSimulatorDlg> dlg;
};

}  // namespace vendrel::test
