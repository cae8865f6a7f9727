#include "app/simulator_app.h"

#include "res/program_resources.h"
#include "ui/simulator_dlg.h"

BEGIN_MESSAGE_MAP(CSimulatorApp, CWinApp)
  ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

CSimulatorApp::CSimulatorApp() { vendrel::res::Install(); }

BOOL CSimulatorApp::InitInstance() {
  Enable3dControls();

  CSimulatorDlg dlg;
  m_pMainWnd = &dlg;
  dlg.DoModal();  // OK or Cancel, the program ends the same way
  m_pMainWnd = nullptr;

  // No message loop of the application's own: the program ends with the dialog.
  return FALSE;
}
