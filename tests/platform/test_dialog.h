#pragma once
// A dialog of the tests' own, on a template and resource module of their own: the
// stand-in knows nothing of the program.

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/afxwin.h"
#include "tests/support/message_boxes.h"
#include "tests/support/test_access.h"

namespace test {

using vendrel::test::MessageBoxes;
using vendrel::test::TestAccess;

inline constexpr UINT kTestDialog = 1;
inline constexpr UINT kTestString = 2;
inline constexpr int kButton = 10;
inline constexpr int kFirst = 20;   ///< edit, 0 .. 100
inline constexpr int kSecond = 21;  ///< edit, 0 .. 100
inline constexpr int kHidden = 22;  ///< edit, hidden and disabled
inline constexpr int kThird = 23;   ///< edit, no range

const ResourceModule& Module();

class CTestDlg : public CDialog {
 public:
  CTestDlg() : CDialog(kTestDialog) {}

  std::vector<std::string> log;  ///< handlers as they ran: "paint", "timer 1", ...
  double first = 1.0, second = 2.0, hidden = 3.0, third = 4.0;
  bool defaultPaint = true;  ///< OnPaint hands on to the default processing
  std::function<void()> onTimer;

  using CWnd::BeginFocusGuard;
  using CWnd::EndFocusGuard;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnPaint();
  void OnTimer(UINT_PTR id);
  void OnSysCommand(UINT id, LPARAM lParam);
  void OnButton() { log.push_back("button"); }
  void OnKillFirst() { log.push_back("killfocus first"); }
  void OnKillSecond() { log.push_back("killfocus second"); }
  void OnOK() override {
    log.push_back("ok");
    CDialog::OnOK();
  }

  DECLARE_MESSAGE_MAP()
};

/// A test with the tests' resources installed and message boxes answered at once.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  /// Creates `dlg` modeless, shown and active.
  void Open(CTestDlg& dlg);
  static QLineEdit* Edit(CWnd& w, int id) { return qobject_cast<QLineEdit*>(w.GetDlgItem(id)); }
  static QPushButton* Button(CWnd& w, int id) {
    return qobject_cast<QPushButton*>(w.GetDlgItem(id));
  }
  /// The focus leaving a box the way Tab takes it.
  static void LeaveBox(QWidget* box);

  MessageBoxes boxes;
};

}  // namespace test
