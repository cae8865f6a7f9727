#pragma once
// Dialog data exchange: controls to members with validation, and back.
//
// A refused value never reaches its member: DDX_Text keeps a parsed value pending
// until its range check (if any) has passed, and the first refusal ends the exchange,
// leaving that member and every later one as they were.

#include <string>

#include "platform/exchange_text.h"
#include "platform/wnd.h"

class QLineEdit;

class CDataExchange {
 public:
  CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);
  CDataExchange(const CDataExchange&) = delete;
  CDataExchange& operator=(const CDataExchange&) = delete;

  BOOL m_bSaveAndValidate;
  CWnd* m_pDlgWnd;

  /// The edit control `nIDC`, now the one a failure refers to; nullptr if absent.
  QLineEdit* PrepareEditCtrl(int nIDC);
  /// Reports the refusal: shows `message`, gives the focus back to the refused control
  /// with its text selected, and ends the exchange.
  void Fail(const std::string& message);
  bool Failed() const { return m_failed; }

  /// A value read for `member` that waits for its check.
  void SetPending(double* member, double value);
  /// The value the check of `member` must look at.
  double PendingOr(const double& member) const;
  /// Stores the pending value into its member.
  void CommitPending();

 private:
  QLineEdit* m_lastControl = nullptr;
  bool m_failed = false;
  double* m_pendingMember = nullptr;
  double m_pendingValue = 0.0;
};

/// A double in an edit box: shown in its shortest round-trip form, read with
/// vendrel::ParseNumber; text that is not a number is refused.
void DDX_Text(CDataExchange* pDX, int nIDC, double& value);
/// Refuses a value outside [minVal, maxVal]; the bounds are allowed.
void DDV_MinMaxDouble(CDataExchange* pDX, const double& value, double minVal, double maxVal);
