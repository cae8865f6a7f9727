#include "tests/support/dialog_reset.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QRect>
#include <QWidget>

#include <cstddef>
#include <cstring>
#include <utility>

#include "platform/dialog_widget.h"
#include "tests/support/test_access.h"
#include "ui/simulator_dlg.h"

namespace vendrel::test {

namespace {

/// Puts `from` into `to`, copying only the rows that differ when both have one size.
/// Returns the rows copied as [top, bottom): all of them after a change of size.
std::pair<int, int> PutBackRows(PixelBuffer& to, const PixelBuffer& from) {
  if (to.Width() != from.Width() || to.Height() != from.Height()) {
    to = from;  // in the memory it has when that suffices
    return {0, from.Height()};
  }
  const PixelBuffer& seen = to;
  const std::size_t bytes = from.BytesPerLine();
  int top = 0;
  int bottom = from.Height();
  while (top < bottom && std::memcmp(seen.Row(top), from.Row(top), bytes) == 0) ++top;
  while (bottom > top && std::memcmp(seen.Row(bottom - 1), from.Row(bottom - 1), bytes) == 0) {
    --bottom;
  }
  if (top < bottom) {
    std::memcpy(to.Row(top), from.Row(top), bytes * static_cast<std::size_t>(bottom - top));
  }
  return {top, bottom};
}

}  // namespace

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
  // Hiding or minimising the window deactivated it in the application, while a platform
  // that kept its own focus on it (offscreen does) sees nothing to change when asked
  // again, and says nothing: the application is told directly.
  if (QApplication::activeWindow() != window) {
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    QApplication::setActiveWindow(window);
    QT_WARNING_POP
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
  // The pictures: only the rows that differ go back, and only they are shown again.
  PixelBuffer& surface = TestAccess::Surface(dlg_);
  const auto [top, bottom] = PutBackRows(surface, surface_);
  if (top < bottom) window->update(QRect(0, top, surface.Width(), bottom - top));
  PutBackRows(TestAccess::PaintScreen(dlg_), paintScreen_);
}

}  // namespace vendrel::test
