// The application shell: start-up, the about box from the system menu, the icons, the
// help command and the version data.
#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <array>

#include "app/simulator_app.h"
#include "res/program_resources.h"
#include "tests/ui/dialog_fixture.h"
#include "ui/about_dlg.h"

namespace vendrel::test {
namespace {

using Shell = DialogTest;

TEST_F(Shell, TheAboutBoxOpensForSystemCommandsSixteenToThirtyOne) {
  for (UINT id = 0x0010; id <= 0x0020; ++id) {
    QString caption;
    QTimer::singleShot(0, [&caption] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        caption = modal->windowTitle();
        QTest::keyClick(modal, Qt::Key_Escape);
      }
    });
    dlg->SendMessage(WM_SYSCOMMAND, id, 0);
    QCoreApplication::processEvents();  // the closer runs even when nothing opened
    if (id < 0x0020) {
      EXPECT_EQ(caption, QString("ﾊﾞｰｼﾞｮﾝ情報 Vendrel")) << id;
    } else {
      EXPECT_TRUE(caption.isEmpty());
    }
  }
  EXPECT_TRUE(dlg->GetSafeHwnd()->isVisible());  // the main dialog stays
}

TEST_F(Shell, TheAboutBoxIsTemplate100) {
  CAboutDlg about;
  QTimer::singleShot(0, [&about] {
    QWidget* w = about.GetSafeHwnd();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->size(), QSize(326, 83));  // 217 × 55 dialog units
    QStringList labels;
    for (QLabel* l : w->findChildren<QLabel*>()) labels << l->text();
    EXPECT_TRUE(labels.contains("VENDREL  VERSION 1.0"));
    auto* ok = qobject_cast<QPushButton*>(about.GetDlgItem(IDOK));
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(w->focusWidget(), ok);
    ok->click();
  });
  EXPECT_EQ(about.DoModal(), IDOK);
}

TEST_F(Shell, TheMenuGetsTheAboutItemAfterASeparator) {
  const std::vector<CMenu::Item>& items = dlg->GetSystemMenu(FALSE)->Items();
  ASSERT_EQ(items.size(), 6u);
  EXPECT_EQ(items[4].flags, MF_SEPARATOR);
  EXPECT_EQ(items[5].id, IDM_ABOUTBOX);
  EXPECT_EQ(items[5].text, "ﾊﾞｰｼﾞｮﾝ情報(Vendrel) (&A)...");
}

TEST_F(Shell, WithString101EmptyTheMenuGetsNoItem) {
  ResourceModule module = res::Module();
  const std::array strings{StringResource{IDS_ABOUTBOX, ""}};
  module.strings = strings;
  AfxSetResourceHandle(&module);
  CSimulatorDlg other;
  ASSERT_TRUE(other.Create());
  const std::vector<CMenu::Item>& items = other.GetSystemMenu(FALSE)->Items();
  EXPECT_EQ(items.size(), 4u);  // restore, minimise, separator, close
  EXPECT_EQ(items.back().id, SC_CLOSE);
  other.DestroyWindow();
  res::Install();
}

TEST_F(Shell, BothWindowIconsAreIcon128AtItsTwoSizes) {
  HICON icon = dlg->GetIcon(TRUE);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon, AfxLoadIcon(IDR_MAINFRAME));
  EXPECT_EQ(dlg->GetIcon(TRUE), icon);
  EXPECT_EQ(dlg->GetIcon(FALSE), icon);
  const QList<QSize> sizes = icon->availableSizes();
  EXPECT_TRUE(sizes.contains(QSize(32, 32)));
  EXPECT_TRUE(sizes.contains(QSize(16, 16)));
  EXPECT_FALSE(dlg->GetSafeHwnd()->windowIcon().isNull());
}

TEST_F(Shell, F1AsksTheApplicationForHelp) {
  CSimulatorApp app;
  QTest::keyClick(Edit(IDC_K), Qt::Key_F1);
  ASSERT_EQ(MessageBoxes::Texts().size(), 1u);
  EXPECT_NE(MessageBoxes::Texts()[0].find("ヘルプ"), std::string::npos);
}

TEST_F(Shell, StartUpRunsTheDialogModallyAndEndsWithIt) {
  dlg.reset();
  CSimulatorApp app;
  bool sawMain = false;
  QTimer::singleShot(0, [&] {
    CWnd* main = AfxGetMainWnd();
    sawMain = main != nullptr && main->GetSafeHwnd() == QApplication::activeModalWidget();
    QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape);
  });
  EXPECT_FALSE(app.InitInstance());
  EXPECT_TRUE(sawMain);
  EXPECT_EQ(AfxGetMainWnd(), nullptr);
}

// The version block carries the project's version in its numbers and in both of its
// texts, and the application takes its name, version and desktop id from the module.
TEST(Version, TheBlockAndTheApplicationCarryTheProjectsVersion) {
  const ResourceModule& module = res::Module();
  const VersionInfo& v = module.version;
  // The project's version, 1.0.0.1 (the package's name carries it too).
  const unsigned short version[4] = {1, 0, 0, 1};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(v.fileVersion[i], version[i]) << i;
    EXPECT_EQ(v.productVersion[i], version[i]) << i;
  }
  EXPECT_STREQ(v.fileVersionText, "1, 0, 0, 1");
  EXPECT_STREQ(v.productVersionText, "1, 0, 0, 1");
  EXPECT_EQ(AfxVersionText(v), "1.0.0.1");
  AfxApplyVersionInfo(module);
  EXPECT_EQ(QCoreApplication::applicationName(), QString("VENDREL"));
  EXPECT_EQ(QCoreApplication::applicationVersion(), QString("1.0.0.1"));
  EXPECT_EQ(QGuiApplication::desktopFileName(), QString::fromUtf8(module.desktopId));
}

}  // namespace
}  // namespace vendrel::test
