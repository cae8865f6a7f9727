#include "platform/msgbox.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QWidget>

namespace {
AfxMessageBoxHook g_hook = nullptr;
int g_count = 0;
int g_depth = 0;

struct DepthScope {
  DepthScope() { ++g_depth; }
  ~DepthScope() { --g_depth; }
  DepthScope(const DepthScope&) = delete;
  DepthScope& operator=(const DepthScope&) = delete;
};
}  // namespace

void AfxSetMessageBoxHook(AfxMessageBoxHook hook) { g_hook = hook; }
int AfxMessageBoxCount() { return g_count; }
int AfxMessageBoxDepth() { return g_depth; }

int AfxMessageBox(const std::string& text, UINT nType) {
  ++g_count;
  DepthScope open;
  if (g_hook != nullptr) return g_hook(text.c_str(), nType);

  QWidget* owner = QApplication::activeModalWidget();
  if (owner == nullptr) owner = QApplication::activeWindow();
  QMessageBox box(owner);
  box.setWindowTitle(QCoreApplication::applicationName());
  box.setText(QString::fromStdString(text));
  switch (nType & 0xF0) {
    case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
  }
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
  return IDOK;
}
