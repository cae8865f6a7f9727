#include "platform/dialog_widget.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>

#include "platform/dialog.h"
#include "platform/dialog_template.h"
#include "platform/msgbox.h"
#include "platform/qt_surface.h"

namespace afx {

QEvent::Type DialogWidget::PaintRequestEvent() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

DialogWidget::DialogWidget(QWidget* parent, CDialog* owner, Qt::WindowFlags flags)
    : QDialog(parent, flags), owner_(owner) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Alt+Space opens the system menu and F1 asks for help, wherever the focus is.
  auto* keyMenu = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
  connect(keyMenu, &QShortcut::activated, this, [this] {
    if (owner_ != nullptr) owner_->SendMessage(WM_SYSCOMMAND, SC_KEYMENU, ' ');
  });
  auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(help, &QShortcut::activated, this, [this] {
    if (owner_ != nullptr) owner_->SendMessage(WM_COMMAND, MAKEWPARAM(ID_HELP, CN_COMMAND), 0);
  });
}

DialogWidget::~DialogWidget() { owner_ = nullptr; }

void DialogWidget::WatchButton(QPushButton* button, int id) {
  button->installEventFilter(this);
  connect(button, &QPushButton::clicked, this, [this, id] {
    if (owner_ != nullptr) owner_->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
  });
  button->setProperty("afxControlId", id);
}

void DialogWidget::WatchEdit(QLineEdit* edit, int id) {
  edit->installEventFilter(this);
  edit->setProperty("afxControlId", id);
}

bool DialogWidget::event(QEvent* e) {
  if (e->type() == PaintRequestEvent()) {
    if (owner_ != nullptr) owner_->DispatchPendingPaint();
    return true;
  }
  return QDialog::event(e);
}

void DialogWidget::paintEvent(QPaintEvent* e) {
  // The widget only shows the surface; the drawing happens on the surface itself.
  // Minimised, the window looks as its last paint cycle drew it.
  if (owner_ == nullptr) return;
  const PixelBuffer& shown = owner_->IsIconic() && !owner_->m_paintScreen.IsNull()
                                 ? owner_->m_paintScreen
                                 : owner_->Surface();
  QPainter painter(this);
  painter.drawImage(e->rect(), SurfaceImage(shown), e->rect());
}

void DialogWidget::keyPressEvent(QKeyEvent* e) {
  if (owner_ == nullptr || e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
    QWidget::keyPressEvent(e);
    return;
  }
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
      // A push button with the focus is the default one; otherwise Enter is OK.
      auto* button = qobject_cast<QPushButton*>(focusWidget());
      if (button != nullptr && button->isEnabled()) {
        button->click();
      } else {
        owner_->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      }
      e->accept();
      return;
    }
    case Qt::Key_Escape:
      owner_->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      e->accept();
      return;
    default:
      QWidget::keyPressEvent(e);
  }
}

void DialogWidget::closeEvent(QCloseEvent* e) {
  // The close box and the window manager's close are the system command; the window
  // closes only when the dialog ends itself.
  if (owner_ == nullptr || owner_->m_ending) {
    e->accept();
    return;
  }
  e->ignore();
  owner_->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
}

void DialogWidget::contextMenuEvent(QContextMenuEvent* e) {
  QWidget* child = childAt(e->pos());
  if (owner_ != nullptr && (child == nullptr || qobject_cast<QLabel*>(child) != nullptr)) {
    const QPoint at = e->globalPos();
    owner_->SendMessage(WM_CONTEXTMENU, 0, MAKELPARAM(at.x(), at.y()));
    e->accept();
    return;
  }
  e->ignore();
}

void DialogWidget::ShowAsDefault(QPushButton* focused) {
  for (QPushButton* button : findChildren<QPushButton*>()) {
    button->setDefault(focused != nullptr ? button == focused
                                          : button->property(kTemplateDefault).toBool());
  }
}

bool DialogWidget::eventFilter(QObject* watched, QEvent* e) {
  if (owner_ == nullptr) return QDialog::eventFilter(watched, e);
  const int id = watched->property("afxControlId").toInt();
  // The focus entering a control moves the default look: to a push button that takes
  // it, back to the template's default when a box takes it.
  if (e->type() == QEvent::FocusIn) ShowAsDefault(qobject_cast<QPushButton*>(watched));

  if (auto* button = qobject_cast<QPushButton*>(watched)) {
    const bool press = e->type() == QEvent::MouseButtonPress ||
                       e->type() == QEvent::MouseButtonDblClick;
    if (press && static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton &&
        button->isEnabled()) {
      // A button takes the focus when it is pressed. When taking it ends in a message
      // (the box that was left refused its text), the press is over: no click follows.
      const int messagesBefore = AfxMessageBoxCount();
      if (!button->hasFocus()) button->setFocus(Qt::MouseFocusReason);
      if (AfxMessageBoxCount() != messagesBefore || owner_ == nullptr) return true;
    }
    return QDialog::eventFilter(watched, e);
  }

  if (qobject_cast<QLineEdit*>(watched) != nullptr && e->type() == QEvent::FocusOut) {
    // Only the focus moving inside the dialog is the user leaving the box; the window
    // losing activation, a popup opening and the focus moves of a validation message
    // are not.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(e)->reason();
    const bool moved = reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
                       reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason ||
                       reason == Qt::OtherFocusReason;
    if (moved && !owner_->FocusGuarded() && !owner_->m_ending && AfxMessageBoxDepth() == 0) {
      // The box finishes losing the focus first, then tells the dialog, as an edit
      // control does: a handler that gives the focus back finds a box that has let
      // it go, and its selection stays.
      QPointer<QObject> box = watched;
      watched->event(e);
      if (box != nullptr && owner_ != nullptr) {
        owner_->SendMessage(WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS), 0);
      }
      return true;
    }
  }
  return QDialog::eventFilter(watched, e);
}

}  // namespace afx
