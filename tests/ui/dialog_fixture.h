#pragma once
// The main dialog opened for a test: modeless, shown and active, the program's
// resources installed, every message box answered at once and recorded.

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "res/program_resources.h"
#include "tests/support/message_boxes.h"
#include "tests/support/paint_screen.h"
#include "tests/support/same_bits.h"
#include "tests/support/test_access.h"
#include "ui/simulator_dlg.h"

namespace vendrel::test {

/// The fixture over any gtest base: ::testing::Test, or TestWithParam for tables.
template <class Base = ::testing::Test>
class DialogFixture : public Base {
 protected:
  void SetUp() override {
    res::Install();
    dlg = std::make_unique<CSimulatorDlg>();
    ASSERT_TRUE(dlg->Create());
    QWidget* w = dlg->GetSafeHwnd();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
  }

  void TearDown() override { dlg.reset(); }

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

  MessageBoxes boxes;  // before the dialog: it outlives it
  std::unique_ptr<CSimulatorDlg> dlg;
};

using DialogTest = DialogFixture<>;

}  // namespace vendrel::test
