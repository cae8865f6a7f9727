#include "tests/platform/test_dialog.h"

#include <QFocusEvent>
#include <QTest>
#include <array>

namespace test {
namespace {

constexpr DWORD kEdit = WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr std::array kControls{
    DialogControl{IDC_STATIC, ControlKind::Static, "ラベル", 4, 4, 40, 9, WS_VISIBLE},
    DialogControl{kButton, ControlKind::PushButton, "押す", 101, 5, 50, 15,
                  WS_VISIBLE | WS_TABSTOP},
    DialogControl{kFirst, ControlKind::Edit, "", 10, 30, 40, 13, kEdit},
    DialogControl{kHidden, ControlKind::Edit, "", 10, 50, 40, 13,
                  (kEdit & ~WS_VISIBLE) | WS_DISABLED},
    DialogControl{kSecond, ControlKind::Edit, "", 60, 30, 40, 13, kEdit},
    DialogControl{kThird, ControlKind::Edit, "", 60, 50, 40, 13, kEdit},
};
constexpr std::array kDialogs{
    DialogTemplate{kTestDialog, WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU, WS_EX_APPWINDOW,
                   "試験", "ＭＳ Ｐゴシック", 9, 200, 100, kControls},
};
constexpr std::array kStrings{StringResource{kTestString, "文字列"}};

const ResourceModule kModule{kDialogs, kStrings, {}, VersionInfo{}, "org.example.Test"};

}  // namespace

const ResourceModule& Module() { return kModule; }

BEGIN_MESSAGE_MAP(CTestDlg, CDialog)
  ON_WM_PAINT()
  ON_WM_TIMER()
  ON_WM_SYSCOMMAND()
  ON_BN_CLICKED(kButton, OnButton)
  ON_EN_KILLFOCUS(kFirst, OnKillFirst)
  ON_EN_KILLFOCUS(kSecond, OnKillSecond)
END_MESSAGE_MAP()

void CTestDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Text(pDX, kFirst, first);
  DDV_MinMaxDouble(pDX, first, 0.0, 100.0);
  DDX_Text(pDX, kHidden, hidden);
  DDX_Text(pDX, kSecond, second);
  DDV_MinMaxDouble(pDX, second, 0.0, 100.0);
  DDX_Text(pDX, kThird, third);
}

void CTestDlg::OnPaint() {
  log.push_back("paint");
  if (defaultPaint) CDialog::OnPaint();
}

void CTestDlg::OnTimer(UINT_PTR id) {
  log.push_back("timer " + std::to_string(id));
  if (onTimer) onTimer();
  CDialog::OnTimer(id);
}

void CTestDlg::OnSysCommand(UINT id, LPARAM lParam) {
  log.push_back("syscommand " + std::to_string(id));
  CDialog::OnSysCommand(id, lParam);
}

void WindowTest::SetUp() {
  AfxSetResourceHandle(&Module());
}

void WindowTest::TearDown() { AfxSetResourceHandle(nullptr); }

void WindowTest::Open(CTestDlg& dlg) {
  ASSERT_TRUE(dlg.Create());
  QWidget* w = dlg.GetSafeHwnd();
  w->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w));
}

void WindowTest::LeaveBox(QWidget* box) {
  QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(box, &out);
}

}  // namespace test
