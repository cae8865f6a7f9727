#include "tests/support/dialog_reset.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QWidget>

#include "platform/dialog_widget.h"
#include "tests/support/test_access.h"
#include "ui/simulator_dlg.h"

namespace vendrel::test {

DialogReset::DialogReset(CSimulatorDlg& dlg)
    : dlg_(dlg),
      form_(TestAccess::Form(dlg)),
      state_(TestAccess::State(dlg)),
      drawMode_(TestAccess::DrawMode(dlg)),
      clearPending_(TestAccess::ClearPending(dlg)),
      surface_(dlg.Surface()),
      paintScreen_(TestAccess::PaintScreen(dlg)),
      focus_(QApplication::focusWidget()) {
  for (QLineEdit* box : dlg.GetSafeHwnd()->findChildren<QLineEdit*>()) {
    texts_.emplace_back(box, box->text());
  }
}

void DialogReset::Restore() {
  QWidget* window = dlg_.GetSafeHwnd();
  TestAccess::StopTimers(dlg_);

  // A closed dialog was only hidden; a minimised one comes back to its normal size.
  TestAccess::Unend(dlg_);
  if (!window->isVisible() || window->isMinimized()) window->showNormal();
  if (QApplication::activeWindow() != window) {
    window->activateWindow();
    QCoreApplication::processEvents();  // the platform's activation
  }

  // The texts and the focus come back without being a user's edit: no exchange, no
  // message. Setting a text also clears its selection and its undo history.
  TestAccess::BeginFocusGuard(dlg_);
  for (auto& [box, text] : texts_) {
    if (box->text() != text || box->isModified() || box->hasSelectedText() ||
        box->isUndoAvailable() || box->isRedoAvailable()) {
      box->setText(text);
    }
  }
  if (focus_ != nullptr && QApplication::focusWidget() != focus_) {
    focus_->setFocus(Qt::OtherFocusReason);
  }
  TestAccess::EndFocusGuard(dlg_);

  TestAccess::Form(dlg_) = form_;
  TestAccess::State(dlg_) = state_;
  TestAccess::DrawMode(dlg_) = drawMode_;
  TestAccess::ClearPending(dlg_) = clearPending_;

  // Nothing left to paint: the request in the queue goes with the flag.
  dlg_.ValidateRect(nullptr);
  QCoreApplication::removePostedEvents(window, afx::DialogWidget::PaintRequestEvent());
  TestAccess::ChangedArea(dlg_) = {};
  PixelBuffer& surface = TestAccess::Surface(dlg_);
  if (!(surface == surface_)) {
    surface = surface_;  // into the buffer it has: same size, no allocation
    window->update();
  }
  PixelBuffer& screen = TestAccess::PaintScreen(dlg_);
  if (!(screen == paintScreen_)) screen = paintScreen_;
}

}  // namespace vendrel::test
