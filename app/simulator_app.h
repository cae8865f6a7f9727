#pragma once
// The application object: runs the main dialog modally and ends with it.

#include "platform/afxwin.h"

class CSimulatorApp : public CWinApp {
 public:
  CSimulatorApp();

  BOOL InitInstance() override;

  DECLARE_MESSAGE_MAP()
};
