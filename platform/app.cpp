#include "platform/app.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "platform/dialog_font.h"
#include "platform/msgbox.h"

namespace {
CWinApp* g_app = nullptr;
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(const char* lpszAppName) : m_pszAppName(lpszAppName) { g_app = this; }

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

CWinApp* AfxGetApp() { return g_app; }

CWnd* AfxGetMainWnd() { return g_app != nullptr ? g_app->m_pMainWnd : nullptr; }

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::Run() {
  QApplication::exec();
  return ExitInstance();
}

int CWinApp::ExitInstance() { return 0; }

void CWinApp::OnHelp() {
  const QString path = QString::fromStdString(m_helpFilePath);
  if (!path.isEmpty() && QFileInfo::exists(path)) {
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path))) return;
    AfxMessageBox("ヘルプ ファイル " + m_helpFilePath + " を開けません。", MB_ICONEXCLAMATION);
    return;
  }
  AfxMessageBox("ヘルプ ファイルがインストールされていません。", MB_ICONINFORMATION);
}

void AfxApplyVersionInfo(const ResourceModule& module) {
  QCoreApplication::setApplicationName(QString::fromUtf8(module.version.internalName));
  QCoreApplication::setApplicationVersion(QString::fromStdString(AfxVersionText(module.version)));
  if (module.desktopId != nullptr) {
    QGuiApplication::setDesktopFileName(QString::fromUtf8(module.desktopId));
  }
}

int AfxWinMain(int argc, char** argv) {
  QApplication qapp(argc, argv);
  CWinApp* app = AfxGetApp();
  const ResourceModule* module = AfxGetResourceHandle();
  if (app == nullptr || module == nullptr) return 1;
  AfxApplyVersionInfo(*module);

  // The resources are Japanese: so are the toolkit's own texts (buttons of message
  // boxes, the edit boxes' menus), when their translation is installed.
  if (module->version.language == 0x0411) {
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    auto* translator = new QTranslator(&qapp);
    if (translator->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
      QCoreApplication::installTranslator(translator);
    }
    // Message boxes and menus take the platform's Japanese interface font.
    QApplication::setFont(AfxDialogFont("ＭＳ Ｐゴシック", 9));
  }

  if (app->InitInstance()) return app->Run();
  return app->ExitInstance();
}
