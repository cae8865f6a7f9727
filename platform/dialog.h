#pragma once
// Dialogs built from a template of the resource module: real Qt widgets at the
// template's positions, the standard OK and Cancel commands, the data exchange.

#include "platform/dialog_template.h"
#include "platform/wnd.h"

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  ~CDialog() override;

  /// Creates the dialog, runs it modally and destroys its window; returns the result
  /// EndDialog gave (IDOK, IDCANCEL), or -1 when it could not be created.
  virtual INT_PTR DoModal();
  /// Creates the dialog without a modal loop and shows it if the template says so.
  BOOL Create(CWnd* pParentWnd = nullptr);
  /// Ends the dialog: the modal loop returns `nResult`; a modeless one is hidden.
  void EndDialog(int nResult);

  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();

  UINT TemplateId() const { return m_nIDTemplate; }
  const DialogTemplate* Template() const { return m_template; }

 protected:
  BOOL OnCmdMsg(UINT nID, UINT nCode, LPARAM lParam) override;
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  DECLARE_MESSAGE_MAP()

 private:
  friend class afx::DialogWidget;
  friend struct vendrel::test::TestAccess;
  BOOL CreateFromTemplate(CWnd* pParentWnd);

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;
  const DialogTemplate* m_template = nullptr;
  bool m_ending = false;
  bool m_modal = false;
  INT_PTR m_result = -1;
};
