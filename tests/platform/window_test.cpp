// Windows of the stand-in: the template's layout, the message map and the default
// processing, the order of paints and ticks, timers, the system menu and the keys.
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "tests/platform/test_dialog.h"

namespace test {
namespace {

using Window = WindowTest;

TEST(DialogUnits, MapAsThePlatformWithBaseUnitsSixByTwelve) {
  EXPECT_EQ(DialogUnitsToPixelsX(647), 971);  // 970.5, half away from zero
  EXPECT_EQ(DialogUnitsToPixelsY(549), 824);  // 823.5
  EXPECT_EQ(DialogUnitsToPixelsX(410), 615);
  EXPECT_EQ(DialogUnitsToPixelsY(13), 20);    // 19.5
  EXPECT_EQ(MulDiv(-1, 6, 4), -2);
  EXPECT_EQ(MulDiv(7, 1, 0), -1);
}

TEST(DialogTemplate, ALabelTooWideBreaksBeforeItsFirstBracket) {
  const QFontMetrics m(QApplication::font());
  const QString unit = QString::fromUtf8("SIDE SPIN（ｒｐｍ）");
  const int full = m.horizontalAdvance(unit);
  EXPECT_EQ(afx::WrapBeforeBracket(unit, m, full), unit);  // fits: as it is
  EXPECT_EQ(afx::WrapBeforeBracket(unit, m, full - 1), QString::fromUtf8("SIDE SPIN\n（ｒｐｍ）"));
  const QString ascii = "mass (g) (kg)";
  EXPECT_EQ(afx::WrapBeforeBracket(ascii, m, 1), "mass \n(g) (kg)");
  const QString mixed = QString::fromUtf8("a (b)（c）");
  EXPECT_EQ(afx::WrapBeforeBracket(mixed, m, 1), QString::fromUtf8("a \n(b)（c）"));
  // Nothing to break before: left to the label's own wrapping.
  EXPECT_EQ(afx::WrapBeforeBracket("no unit here", m, 1), "no unit here");
  EXPECT_EQ(afx::WrapBeforeBracket(QString::fromUtf8("（ｍ）"), m, 1), QString::fromUtf8("（ｍ）"));
}

TEST_F(Window, BuildsTheTemplateAsWidgets) {
  CTestDlg dlg;
  Open(dlg);
  QWidget* w = dlg.GetSafeHwnd();
  EXPECT_EQ(w->size(), QSize(300, 150));
  EXPECT_EQ(dlg.Surface().Width(), 300);
  EXPECT_EQ(dlg.Surface().Height(), 150);
  EXPECT_EQ(w->windowTitle(), QString("試験"));
  EXPECT_EQ(Button(dlg, kButton)->geometry(), QRect(152, 8, 75, 23));  // 151.5, 7.5, 22.5
  EXPECT_EQ(Button(dlg, kButton)->text(), QString("押す"));
  EXPECT_EQ(Edit(dlg, kFirst)->geometry(), QRect(15, 45, 60, 20));
  EXPECT_TRUE(Edit(dlg, kFirst)->isVisible());
  // Created hidden and disabled, as the template says.
  EXPECT_FALSE(Edit(dlg, kHidden)->isVisible());
  EXPECT_FALSE(Edit(dlg, kHidden)->isEnabled());
  EXPECT_EQ(w->findChild<QLabel*>()->text(), QString("ラベル"));
  // The focus starts on the first tab stop and Tab follows the template's order.
  EXPECT_EQ(QApplication::focusWidget(), Button(dlg, kButton));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Edit(dlg, kFirst));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Edit(dlg, kSecond));
  // The base OnInitDialog showed the members.
  EXPECT_EQ(Edit(dlg, kFirst)->text(), QString("1"));
  EXPECT_EQ(Edit(dlg, kThird)->text(), QString("4"));
}

TEST_F(Window, MapsChainToTheBaseAndTheRestGetsTheDefault) {
  CTestDlg dlg;
  Open(dlg);
  Button(dlg, kButton)->click();
  EXPECT_EQ(dlg.log.back(), "button");
  // Not in the test's map: WM_SYSCOMMAND's default closes through WM_CLOSE and Cancel.
  dlg.SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(dlg.log.back(), "syscommand " + std::to_string(SC_CLOSE));
  EXPECT_FALSE(dlg.GetSafeHwnd()->isVisible());
}

TEST_F(Window, SeveralRepaintRequestsGiveOnePaintFromTheLoop) {
  CTestDlg dlg;
  Open(dlg);
  dlg.log.clear();
  dlg.InvalidateRect(nullptr, FALSE);
  dlg.InvalidateRect(nullptr, FALSE);
  dlg.Invalidate(FALSE);
  EXPECT_TRUE(dlg.log.empty());  // only marked
  QCoreApplication::processEvents();
  EXPECT_EQ(dlg.log, std::vector<std::string>{"paint"});
  EXPECT_FALSE(TestAccess::IsPaintPending(dlg));  // the default processing validated
  QCoreApplication::processEvents();
  EXPECT_EQ(dlg.log.size(), 1u);
}

TEST_F(Window, APendingPaintGoesAheadOfTheTick) {
  CTestDlg dlg;
  Open(dlg);
  dlg.log.clear();
  dlg.Invalidate(FALSE);
  TestAccess::DispatchTimer(dlg, 1);
  EXPECT_EQ(dlg.log, (std::vector<std::string>{"paint", "timer 1"}));

  // Through the real timer: every tick's repaint is served before the next tick.
  dlg.log.clear();
  int ticks = 0;
  dlg.onTimer = [&] {
    dlg.Invalidate(FALSE);
    if (++ticks == 50) dlg.KillTimer(1);
  };
  dlg.SetTimer(1, 1);
  QTRY_COMPARE_WITH_TIMEOUT(ticks, 50, 10000);
  QCoreApplication::processEvents();
  ASSERT_EQ(dlg.log.size(), 100u);
  for (std::size_t i = 0; i < dlg.log.size(); ++i) {
    EXPECT_EQ(dlg.log[i], i % 2 == 0 ? "timer 1" : "paint") << i;
  }
}

TEST_F(Window, SettingARunningTimerReplacesIt) {
  CTestDlg dlg;
  Open(dlg);
  EXPECT_EQ(dlg.SetTimer(1, 1000), 1u);
  EXPECT_EQ(dlg.SetTimer(1, 1), 1u);
  EXPECT_EQ(TestAccess::RunningTimerCount(dlg), 1);
  QTRY_VERIFY_WITH_TIMEOUT(!dlg.log.empty() && dlg.log.back() == "timer 1", 2000);
  EXPECT_TRUE(dlg.KillTimer(1));
  EXPECT_FALSE(dlg.KillTimer(1));
  EXPECT_FALSE(dlg.KillTimer(7));
  EXPECT_EQ(TestAccess::RunningTimerCount(dlg), 0);
}

TEST_F(Window, TicksGoOnWhileAMessageIsOpenAndEndWithTheWindow) {
  auto dlg = std::make_unique<CTestDlg>();
  Open(*dlg);
  int ticks = 0;
  dlg->onTimer = [&] { ++ticks; };
  dlg->SetTimer(1, 1);
  // A message box that stays open for a while, as a person would leave it.
  MessageBoxes::WhileShown() = [] { QTest::qWait(100); };
  AfxMessageBox("待つ");
  EXPECT_GT(ticks, 0);

  // Destroying the window (and then the object) with the timer running: no tick
  // reaches either.
  dlg->DestroyWindow();
  const int before = ticks;
  QTest::qWait(30);
  EXPECT_EQ(ticks, before);
  dlg->SetTimer(1, 1);  // no window, no timer
  EXPECT_EQ(TestAccess::RunningTimerCount(*dlg), 0);
  dlg.reset();
  QTest::qWait(10);

  auto other = std::make_unique<CTestDlg>();
  Open(*other);
  int otherTicks = 0;
  other->onTimer = [&] { ++otherTicks; };
  other->SetTimer(1, 1);
  other.reset();
  QTest::qWait(30);
  EXPECT_EQ(otherTicks, 0);
}

TEST_F(Window, TheSurfaceSurvivesHidingMinimisingAndRestoring) {
  CTestDlg dlg;
  Open(dlg);
  EXPECT_EQ(dlg.Surface().Pixel(5, 5), RGB(240, 240, 240));
  CDC* dc = dlg.GetDC();
  dc->FillSolidRect(0, 0, 50, 50, RGB(10, 20, 30));
  EXPECT_EQ(TestAccess::OutstandingDCs(dlg), 1);
  EXPECT_EQ(dlg.ReleaseDC(dc), 1);
  EXPECT_EQ(TestAccess::OutstandingDCs(dlg), 0);
  // Released twice, or a context that is not the window's: refused, nothing freed.
  EXPECT_EQ(dlg.ReleaseDC(dc), 0);
  PixelBuffer elsewhere = MakeSurface(4, 4);
  CDC foreign(&elsewhere);
  EXPECT_EQ(dlg.ReleaseDC(&foreign), 0);
  const PixelBuffer drawn = dlg.Surface();
  dlg.ShowWindow(SW_HIDE);
  QCoreApplication::processEvents();
  dlg.ShowWindow(SW_SHOWMINIMIZED);
  QCoreApplication::processEvents();
  dlg.ShowWindow(SW_RESTORE);
  QCoreApplication::processEvents();
  EXPECT_EQ(dlg.Surface(), drawn);
  // And the widget shows it: its own rendering holds the surface's pixels.
  const QImage shown = dlg.GetSafeHwnd()->grab().toImage();
  EXPECT_EQ(shown.pixel(20, 20), qRgb(10, 20, 30));
}

TEST_F(Window, APaintCycleDrawsOnAScratchImageOfItsOwn) {
  CTestDlg dlg;
  Open(dlg);
  const PixelBuffer before = dlg.Surface();
  dlg.Invalidate(FALSE);
  {
    CPaintDC dc(&dlg);
    EXPECT_FALSE(TestAccess::IsPaintPending(dlg));  // beginning the cycle validates
    dc.FillSolidRect(0, 0, 300, 150, RGB(1, 2, 3));
    dlg.SendMessage(WM_ICONERASEBKGND, dc.GetSafeHdc(), 0);
  }
  EXPECT_EQ(dlg.Surface(), before);
  EXPECT_EQ(TestAccess::PaintScreen(dlg), MakeSurface(300, 150));  // filled, then erased
}

// Picks the item with this text from the popup that is open, once it is.
void ChooseFromPopup(const QString& text, QStringList* seen) {
  QTimer::singleShot(0, [text, seen] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return;
    for (QAction* a : menu->actions()) {
      if (seen != nullptr) *seen << (a->isSeparator() ? QString("-") : a->text());
      if (a->text() == text) a->trigger();
    }
    menu->close();
  });
}

TEST_F(Window, TheSystemMenuOpensWithAltSpaceAndARightClick) {
  CTestDlg dlg;
  Open(dlg);
  CMenu* menu = dlg.GetSystemMenu(FALSE);
  ASSERT_NE(menu, nullptr);
  menu->AppendMenu(MF_SEPARATOR);
  menu->AppendMenu(MF_STRING, 0x0010, "追加");

  QStringList seen;
  ChooseFromPopup("追加", &seen);
  QTest::keyClick(Edit(dlg, kFirst), Qt::Key_Space, Qt::AltModifier);
  EXPECT_EQ(seen, (QStringList{"元のサイズに戻す", "最小化", "-", "閉じる", "-", "追加"}));
  EXPECT_EQ(dlg.log.back(), "syscommand 16");

  // A right click on the background (a label counts as background) opens it too.
  ChooseFromPopup("最小化", nullptr);
  QWidget* w = dlg.GetSafeHwnd();
  QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(8, 8), w->mapToGlobal(QPoint(8, 8)));
  QApplication::sendEvent(w, &click);
  EXPECT_EQ(dlg.log.back(), "syscommand " + std::to_string(SC_MINIMIZE));
  EXPECT_TRUE(dlg.IsIconic());
  dlg.SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_FALSE(dlg.IsIconic());
}

TEST_F(Window, EnterIsOkUnlessAButtonHasTheFocusAndEscapeIsCancel) {
  CTestDlg dlg;
  Open(dlg);
  QTest::keyClick(Button(dlg, kButton), Qt::Key_Return);
  EXPECT_EQ(dlg.log.back(), "button");
  Edit(dlg, kFirst)->setFocus();
  QTest::keyClick(Edit(dlg, kFirst), Qt::Key_Return);
  EXPECT_EQ(dlg.log.back(), "ok");
  EXPECT_FALSE(dlg.GetSafeHwnd()->isVisible());  // the form was valid: closed

  CTestDlg other;
  Open(other);
  QTest::keyClick(other.GetSafeHwnd(), Qt::Key_Escape);
  EXPECT_FALSE(other.GetSafeHwnd()->isVisible());
}

TEST_F(Window, DoModalRunsUntilTheDialogEnds) {
  CTestDlg dlg;
  QTimer::singleShot(0, [&] {
    EXPECT_EQ(QApplication::activeModalWidget(), dlg.GetSafeHwnd());
    dlg.EndDialog(IDOK);
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);  // the window is gone, the object stays
}

class CHelpApp : public CWinApp {
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CHelpApp, CWinApp)
  ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

TEST_F(Window, HelpGoesOnToTheApplicationWhichSaysThereIsNoHelpFile) {
  CTestDlg dlg;
  Open(dlg);
  {
    CWinApp plain;  // no route for the help command: nothing happens
    QTest::keyClick(dlg.GetSafeHwnd(), Qt::Key_F1);
    EXPECT_TRUE(MessageBoxes::Texts().empty());
  }
  CHelpApp app;
  QTest::keyClick(Edit(dlg, kFirst), Qt::Key_F1);
  ASSERT_EQ(MessageBoxes::Texts().size(), 1u);
  EXPECT_EQ(MessageBoxes::Texts()[0], "ヘルプ ファイルがインストールされていません。");
}

TEST_F(Window, StringsAndTemplatesComeFromTheInstalledModule) {
  CString s;
  EXPECT_TRUE(s.LoadString(kTestString));
  EXPECT_EQ(s.str(), "文字列");
  EXPECT_FALSE(s.LoadString(999));
  EXPECT_TRUE(s.IsEmpty());
  AfxSetResourceHandle(nullptr);
  CTestDlg dlg;
  EXPECT_EQ(dlg.DoModal(), -1);  // no template, no window
}

}  // namespace
}  // namespace test
