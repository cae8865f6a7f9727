// The data exchange: what a refused value leaves behind, and one message per action.
#include <QApplication>
#include <QTest>

#include "tests/platform/test_dialog.h"

namespace test {
namespace {

using Exchange = WindowTest;

TEST_F(Exchange, ARefusalStopsTheExchangeAndTheRefusedValueReachesNoMember) {
  CTestDlg dlg;
  Open(dlg);
  Edit(dlg, kFirst)->setText("55");
  Edit(dlg, kSecond)->setText("101");  // out of range
  Edit(dlg, kThird)->setText("77");
  EXPECT_FALSE(dlg.UpdateData(TRUE));
  EXPECT_EQ(dlg.first, 55.0);    // before the refusal: taken
  EXPECT_EQ(dlg.second, 2.0);    // refused: as it was
  EXPECT_EQ(dlg.third, 4.0);     // after it: not read
  ASSERT_EQ(MessageBoxes::Texts().size(), 1u);
  EXPECT_EQ(MessageBoxes::Texts()[0], "0 以上 100 以下の数値を入力してください。");
  // The focus is back in the refused box, its text selected.
  EXPECT_EQ(QApplication::focusWidget(), Edit(dlg, kSecond));
  EXPECT_EQ(Edit(dlg, kSecond)->selectedText(), QString("101"));

  Edit(dlg, kSecond)->setText("abc");
  EXPECT_FALSE(dlg.UpdateData(TRUE));
  EXPECT_EQ(MessageBoxes::Texts().back(), "数値を入力してください。");

  // Bounds are allowed; the unchecked field takes any number.
  Edit(dlg, kSecond)->setText("100");
  Edit(dlg, kThird)->setText("-1e300");
  EXPECT_TRUE(dlg.UpdateData(TRUE));
  EXPECT_EQ(dlg.second, 100.0);
  EXPECT_EQ(dlg.third, -1e300);
  EXPECT_EQ(dlg.hidden, 3.0);  // hidden and disabled, still exchanged
  dlg.second = 0.25;
  EXPECT_TRUE(dlg.UpdateData(FALSE));
  EXPECT_EQ(Edit(dlg, kSecond)->text(), QString("0.25"));
}

TEST_F(Exchange, LeavingABoxNotifiesOnceAndTheMessageMovesNoFocusOfItsOwn) {
  CTestDlg dlg;
  Open(dlg);
  dlg.log.clear();
  LeaveBox(Edit(dlg, kFirst));
  EXPECT_EQ(dlg.log, std::vector<std::string>{"killfocus first"});

  // While a message shows, the focus moving between boxes is not the user's doing.
  static QWidget* other = nullptr;
  other = Edit(dlg, kSecond);
  MessageBoxes::WhileShown() = [] { LeaveBox(other); };
  Edit(dlg, kFirst)->setText("x");
  dlg.log.clear();
  EXPECT_FALSE(dlg.UpdateData(TRUE));
  EXPECT_TRUE(dlg.log.empty());

  // Nor are activation changes and popups.
  dlg.log.clear();
  QFocusEvent deactivated(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(Edit(dlg, kFirst), &deactivated);
  QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
  QApplication::sendEvent(Edit(dlg, kFirst), &popup);
  dlg.BeginFocusGuard();
  LeaveBox(Edit(dlg, kFirst));
  dlg.EndFocusGuard();
  EXPECT_TRUE(dlg.log.empty());
}

// A box whose commit refuses its text, as a program's kill-focus handler does.
class CCommitDlg : public CTestDlg {
 protected:
  void OnKillFirst() {
    log.push_back("commit");
    UpdateData(TRUE);
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CCommitDlg, CTestDlg)
  ON_EN_KILLFOCUS(kFirst, OnKillFirst)
END_MESSAGE_MAP()

TEST_F(Exchange, APressThatLeavesARefusedBoxGivesOneMessageAndNoClick) {
  CCommitDlg dlg;
  Open(dlg);
  Edit(dlg, kFirst)->setFocus();
  Edit(dlg, kFirst)->setText("abc");
  dlg.log.clear();
  QTest::mouseClick(Button(dlg, kButton), Qt::LeftButton);
  EXPECT_EQ(MessageBoxes::Texts().size(), 1u);
  EXPECT_EQ(dlg.log, std::vector<std::string>{"commit"});  // the derived map first
  EXPECT_EQ(QApplication::focusWidget(), Edit(dlg, kFirst));
  EXPECT_FALSE(Button(dlg, kButton)->isDown());

  // Corrected, the same click commits and clicks.
  Edit(dlg, kFirst)->setText("5");
  dlg.log.clear();
  QTest::mouseClick(Button(dlg, kButton), Qt::LeftButton);
  EXPECT_EQ(dlg.log, (std::vector<std::string>{"commit", "button"}));
  EXPECT_EQ(MessageBoxes::Texts().size(), 1u);
  EXPECT_EQ(dlg.first, 5.0);
}

}  // namespace
}  // namespace test
