#include "platform/dialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include "platform/app.h"
#include "platform/dialog_template.h"
#include "platform/dialog_widget.h"

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

}  // namespace

BOOL CDialog::CreateFromTemplate(CWnd* pParentWnd) {
  if (m_hWnd != nullptr) return FALSE;
  m_template = AfxFindDialogTemplate(m_nIDTemplate);
  if (m_template == nullptr) return FALSE;
  const DialogTemplate& t = *m_template;
  m_ending = false;

  QWidget* owner = OwnerWidget(this, pParentWnd);
  auto* widget = afx::MakeDialogWidget(t, owner, this);
  const int width = DialogUnitsToPixelsX(t.cx);
  const int height = DialogUnitsToPixelsY(t.cy);
  Attach(widget, width, height);
  if (!(t.exStyle & WS_EX_APPWINDOW)) {
    // Without a minimise box the system menu offers neither restore nor minimise.
    CMenu* menu = GetSystemMenu(FALSE);
    menu->RemoveAll();
    menu->AppendMenu(MF_STRING, SC_CLOSE, "閉じる");
  }

  QWidget* previous = nullptr;
  for (const DialogControl& c : t.controls) {
    QWidget* control = afx::MakeControl(widget, c);
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
        // The window may not be active yet, so no focus event says it: the look now.
        widget->ShowAsDefault(qobject_cast<QPushButton*>(control));
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
