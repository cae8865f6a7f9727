// Every text of the templates and of the system menu shows as glyphs of the font the
// dialog maps "ＭＳ Ｐゴシック" to.
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>

#include "tests/ui/dialog_fixture.h"

namespace vendrel::test {
namespace {

using Fonts = DialogTest;

TEST_F(Fonts, TheJapaneseGothicIsInstalledAndMapped) {
  const QFont font = dlg->GetSafeHwnd()->font();
  EXPECT_EQ(font.pixelSize(), 12);  // 9 points at the platform's 96 dpi
  EXPECT_EQ(QFontInfo(font).family(), QString("IPAPGothic"));
}

TEST_F(Fonts, EveryTextOfBothTemplatesAndTheMenuHasGlyphs) {
  QStringList texts;
  for (UINT id : {IDD_ABOUTBOX, IDD_VENDREL_DIALOG}) {
    const DialogTemplate* t = AfxFindDialogTemplate(id);
    ASSERT_NE(t, nullptr);
    texts << QString::fromUtf8(t->caption);
    for (const DialogControl& c : t->controls) texts << QString::fromUtf8(c.text);
  }
  for (const CMenu::Item& item : dlg->GetSystemMenu(FALSE)->Items()) {
    texts << QString::fromStdString(item.text);
  }
  EXPECT_TRUE(texts.contains("ﾊﾞｰｼﾞｮﾝ情報(Vendrel) (&A)..."));
  const QFontMetrics metrics(dlg->GetSafeHwnd()->font());
  for (const QString& text : texts) {
    for (char32_t cp : text.toUcs4()) {
      EXPECT_TRUE(metrics.inFontUcs4(cp))
          << text.toStdString() << ": U+" << std::hex << static_cast<unsigned>(cp);
    }
  }
}

}  // namespace
}  // namespace vendrel::test
