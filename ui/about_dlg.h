#pragma once
// The about box: template 100, modal, no data and no messages of its own.

#include "platform/afxwin.h"
#include "res/resource_ids.h"

class CAboutDlg : public CDialog {
 public:
  CAboutDlg();

  enum { IDD = IDD_ABOUTBOX };

 protected:
  void DoDataExchange(CDataExchange* pDX) override;

  DECLARE_MESSAGE_MAP()
};
