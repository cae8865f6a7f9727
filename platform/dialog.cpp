#include "platform/dialog.h"

#include <QApplication>
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
#include <cstdlib>

#include "platform/app.h"
#include "platform/dialog_font.h"
#include "platform/dialog_widget.h"
#include "platform/msgbox.h"
#include "platform/qt_surface.h"

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const long long product = static_cast<long long>(a) * b;
  const long long half = std::llabs(static_cast<long long>(c)) / 2;
  const bool negative = (product < 0) != (c < 0);
  const long long q = (std::llabs(product) + half) / std::llabs(static_cast<long long>(c));
  return static_cast<int>(negative ? -q : q);
}

// The base units of the dialog font, 6 × 12 px: four horizontal and eight vertical
// dialog units per base unit.
int DialogUnitsToPixelsX(int du) { return MulDiv(du, 6, 4); }
int DialogUnitsToPixelsY(int du) { return MulDiv(du, 12, 8); }

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
  QPainter painter(this);
  if (owner_ != nullptr) painter.drawImage(e->rect(), SurfaceImage(owner_->Surface()), e->rect());
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

bool DialogWidget::eventFilter(QObject* watched, QEvent* e) {
  if (owner_ == nullptr) return QDialog::eventFilter(watched, e);
  const int id = watched->property("afxControlId").toInt();

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

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_COMMAND(IDOK, OnOK)
  ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() { DestroyWindow(); }

namespace {

QWidget* OwnerWidget(CWnd* self, CWnd* parent) {
  if (parent != nullptr && parent->GetSafeHwnd() != nullptr) return parent->GetSafeHwnd();
  // Without a parent the dialog is owned by the active modal window, if any, else by
  // the application's main window.
  if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr) {
    if (modal != self->GetSafeHwnd()) return modal;
  }
  CWnd* main = AfxGetMainWnd();
  if (main != nullptr && main != self) return main->GetSafeHwnd();
  return nullptr;
}

QWidget* MakeControl(QWidget* dialog, const DialogControl& c) {
  QWidget* w = nullptr;
  const QString text = QString::fromUtf8(c.text ? c.text : "");
  switch (c.kind) {
    case ControlKind::PushButton: {
      auto* button = new QPushButton(text, dialog);
      button->setAutoDefault(false);
      button->setDefault((c.style & 0xF) == BS_DEFPUSHBUTTON);
      // Pressing a button gives it the focus through the dialog's filter, so that a
      // refused box left by the press can stop the click.
      button->setFocusPolicy((c.style & WS_TABSTOP) ? Qt::TabFocus : Qt::NoFocus);
      w = button;
      break;
    }
    case ControlKind::Edit: {
      auto* edit = new QLineEdit(text, dialog);
      edit->setFrame((c.style & WS_BORDER) != 0);
      edit->setReadOnly((c.style & ES_READONLY) != 0);
      edit->setFocusPolicy((c.style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus);
      if (edit->isReadOnly()) {
        QPalette p = edit->palette();
        p.setColor(QPalette::Base, QColor(GetRValue(kFaceColour), GetGValue(kFaceColour),
                                          GetBValue(kFaceColour)));
        edit->setPalette(p);
      }
      w = edit;
      break;
    }
    case ControlKind::Static: {
      auto* label = new QLabel(text, dialog);
      label->setTextFormat(Qt::PlainText);
      label->setWordWrap(true);
      label->setAlignment(((c.style & 0xF) == SS_CENTER ? Qt::AlignHCenter : Qt::AlignLeft) |
                          Qt::AlignTop);
      label->setAttribute(Qt::WA_TransparentForMouseEvents);
      w = label;
      break;
    }
  }
  w->setGeometry(DialogUnitsToPixelsX(c.x), DialogUnitsToPixelsY(c.y),
                 DialogUnitsToPixelsX(c.cx), DialogUnitsToPixelsY(c.cy));
  w->setHidden((c.style & WS_VISIBLE) == 0);
  w->setEnabled((c.style & WS_DISABLED) == 0);
  if (c.id != IDC_STATIC) w->setObjectName(QStringLiteral("control%1").arg(c.id));
  return w;
}

}  // namespace

BOOL CDialog::CreateFromTemplate(CWnd* pParentWnd) {
  if (m_hWnd != nullptr) return FALSE;
  m_template = AfxFindDialogTemplate(m_nIDTemplate);
  if (m_template == nullptr) return FALSE;
  const DialogTemplate& t = *m_template;
  m_ending = false;

  QWidget* owner = OwnerWidget(this, pParentWnd);
  Qt::WindowFlags flags = (owner != nullptr ? Qt::Dialog : Qt::Window) |
                          Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint;
  if (t.style & WS_SYSMENU) flags |= Qt::WindowSystemMenuHint;
  if (t.exStyle & WS_EX_APPWINDOW) flags |= Qt::WindowMinimizeButtonHint;
  auto* widget = new afx::DialogWidget(owner, this, flags);
  const int width = DialogUnitsToPixelsX(t.cx);
  const int height = DialogUnitsToPixelsY(t.cy);
  widget->setFixedSize(width, height);
  widget->setWindowTitle(QString::fromUtf8(t.caption ? t.caption : ""));
  widget->setFont(AfxDialogFont(t.fontFace, t.fontPoints));
  // The face colour whatever the style or theme: the surface and the controls'
  // background agree with a picture made without a window.
  QPalette palette = widget->palette();
  const QColor face(GetRValue(kFaceColour), GetGValue(kFaceColour), GetBValue(kFaceColour));
  palette.setColor(QPalette::Window, face);
  palette.setColor(QPalette::Button, face);
  widget->setPalette(palette);
  Attach(widget, width, height);
  if (!(t.exStyle & WS_EX_APPWINDOW)) {
    // Without a minimise box the system menu offers neither restore nor minimise.
    CMenu* menu = GetSystemMenu(FALSE);
    menu->RemoveAll();
    menu->AppendMenu(MF_STRING, SC_CLOSE, "閉じる");
  }

  QWidget* previous = nullptr;
  for (const DialogControl& c : t.controls) {
    QWidget* control = MakeControl(widget, c);
    RegisterControl(c.id, control);
    if (auto* button = qobject_cast<QPushButton*>(control)) widget->WatchButton(button, c.id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) widget->WatchEdit(edit, c.id);
    if (control->focusPolicy() != Qt::NoFocus) {
      if (previous != nullptr) QWidget::setTabOrder(previous, control);
      previous = control;
    }
  }

  if (SendMessage(WM_INITDIALOG) && m_hWnd != nullptr) {
    // TRUE: the focus goes to the first tab stop, in template order.
    for (const DialogControl& c : t.controls) {
      QWidget* control = GetDlgItem(c.id);
      if (control != nullptr && (c.style & WS_TABSTOP) && (c.style & WS_VISIBLE) &&
          !(c.style & WS_DISABLED)) {
        control->setFocus(Qt::OtherFocusReason);
        break;
      }
    }
  }
  return m_hWnd != nullptr;
}

INT_PTR CDialog::DoModal() {
  if (!CreateFromTemplate(m_pParentWnd)) return -1;
  m_modal = true;
  INT_PTR result = m_result;
  if (!m_ending) {
    auto* widget = static_cast<afx::DialogWidget*>(m_hWnd);
    widget->setWindowModality(Qt::ApplicationModal);
    result = widget->exec();
  }
  m_modal = false;
  DestroyWindow();
  return result;
}

BOOL CDialog::Create(CWnd* pParentWnd) {
  if (!CreateFromTemplate(pParentWnd)) return FALSE;
  if ((m_template->style & WS_VISIBLE) && !m_ending) m_hWnd->show();
  return TRUE;
}

void CDialog::EndDialog(int nResult) {
  m_ending = true;
  m_result = nResult;
  if (m_hWnd == nullptr) return;
  auto* widget = static_cast<afx::DialogWidget*>(m_hWnd);
  if (m_modal) {
    widget->done(nResult);
  } else {
    widget->hide();
  }
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::OnCmdMsg(UINT nID, UINT nCode, LPARAM lParam) {
  if (CWnd::OnCmdMsg(nID, nCode, lParam)) return TRUE;
  // Commands the dialog does not handle go on to the application (the help command).
  if (CWinApp* app = AfxGetApp(); app != nullptr) return app->OnCmdMsg(nID, nCode, lParam);
  return FALSE;
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_CLOSE:
      // A dialog closes as Cancel.
      SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      return 0;
    default:
      return CWnd::DefWindowProc(message, wParam, lParam);
  }
}
