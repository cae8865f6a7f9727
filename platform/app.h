#pragma once
// The application object: exactly one, a global of the program, whose InitInstance
// the framework calls once the toolkit is up.

#include "platform/dialog.h"

class CWinApp : public CCmdTarget {
 public:
  explicit CWinApp(const char* lpszAppName = nullptr);
  ~CWinApp() override;

  /// Start-up; FALSE ends the application without entering the message loop.
  virtual BOOL InitInstance();
  /// The message loop, then ExitInstance.
  virtual int Run();
  virtual int ExitInstance();

  /// The three-dimensional look of controls is always on here; kept for the calls.
  BOOL Enable3dControls() { return TRUE; }
  HICON LoadIcon(UINT nIDResource) const { return AfxLoadIcon(nIDResource); }

  CWnd* m_pMainWnd = nullptr;
  const char* m_pszAppName = nullptr;
  /// Where the help file would be; none is installed with the program.
  std::string m_helpFilePath;

 protected:
  /// The help command: opens the help file, or says that there is none.
  void OnHelp();

  DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();

/// The framework's entry point: starts the toolkit, names the application after the
/// resource module's version block and runs the application object.
int AfxWinMain(int argc, char** argv);

/// Names the running application after the version block (name, version, desktop id).
void AfxApplyVersionInfo(const ResourceModule& module);
