#include "platform/data_exchange.h"

#include <QLineEdit>

#include "number_text/number_text.h"
#include "platform/msgbox.h"

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

QLineEdit* CDataExchange::PrepareEditCtrl(int nIDC) {
  // The value read before this control passed whatever checks it had.
  CommitPending();
  m_lastControl = qobject_cast<QLineEdit*>(m_pDlgWnd->GetDlgItem(nIDC));
  return m_lastControl;
}

void CDataExchange::Fail(const std::string& message) {
  if (m_failed) return;
  m_failed = true;
  m_pendingMember = nullptr;
  // Neither the message box taking the focus nor the focus coming back to the box is
  // the user leaving a box: no further exchange, no second message.
  m_pDlgWnd->BeginFocusGuard();
  AfxMessageBox(message, MB_ICONEXCLAMATION);
  if (m_lastControl != nullptr && m_pDlgWnd->GetSafeHwnd() != nullptr) {
    m_lastControl->setFocus(Qt::OtherFocusReason);
    m_lastControl->selectAll();
  }
  m_pDlgWnd->EndFocusGuard();
}

void CDataExchange::SetPending(double* member, double value) {
  CommitPending();
  m_pendingMember = member;
  m_pendingValue = value;
}

double CDataExchange::PendingOr(const double& member) const {
  return m_pendingMember == &member ? m_pendingValue : member;
}

void CDataExchange::CommitPending() {
  if (m_pendingMember != nullptr && !m_failed) *m_pendingMember = m_pendingValue;
  m_pendingMember = nullptr;
}

void DDX_Text(CDataExchange* pDX, int nIDC, double& value) {
  if (pDX->Failed()) return;
  QLineEdit* edit = pDX->PrepareEditCtrl(nIDC);
  if (edit == nullptr) return;
  if (!pDX->m_bSaveAndValidate) {
    edit->setText(QString::fromStdString(vendrel::FormatNumber(value)));
    return;
  }
  const std::optional<double> parsed = vendrel::ParseNumber(edit->text().toStdString());
  if (!parsed) {
    pDX->Fail(AfxNumberExpectedText());
    return;
  }
  pDX->SetPending(&value, *parsed);
}

void DDV_MinMaxDouble(CDataExchange* pDX, const double& value, double minVal, double maxVal) {
  if (!pDX->m_bSaveAndValidate || pDX->Failed()) return;
  const double v = pDX->PendingOr(value);
  if (!(v >= minVal && v <= maxVal)) pDX->Fail(AfxRangeText(minVal, maxVal));
}
