#include "platform/dialog_font.h"

#include <QFontDatabase>
#include <cstring>

namespace {

struct FaceMapping {
  const char* face;
  const char* const* families;
};

// Proportional gothic first for the proportional face, fixed-pitch first for the
// fixed one; other Japanese gothics after them in case IPA's are missing.
const char* const kProportionalGothic[] = {"IPAPGothic", "IPA Pゴシック", "VL PGothic",
                                           "TakaoPGothic", "Noto Sans CJK JP",
                                           "IPAGothic", "Droid Sans Fallback", nullptr};
const char* const kFixedGothic[] = {"IPAGothic", "IPAゴシック", "VL Gothic", "TakaoGothic",
                                    "Noto Sans Mono CJK JP", "IPAPGothic",
                                    "Droid Sans Fallback", nullptr};

const FaceMapping kMappings[] = {
    {"ＭＳ Ｐゴシック", kProportionalGothic},
    {"MS PGothic", kProportionalGothic},
    {"ＭＳ ゴシック", kFixedGothic},
    {"MS Gothic", kFixedGothic},
    {"MS UI Gothic", kProportionalGothic},
};

}  // namespace

QStringList AfxFontFamiliesFor(const char* faceName) {
  const char* const* candidates = kProportionalGothic;
  QStringList wanted;
  bool known = false;
  for (const FaceMapping& m : kMappings) {
    if (faceName != nullptr && std::strcmp(m.face, faceName) == 0) {
      candidates = m.families;
      known = true;
      break;
    }
  }
  if (!known && faceName != nullptr && *faceName != '\0') wanted << QString::fromUtf8(faceName);
  for (const char* const* f = candidates; *f != nullptr; ++f) wanted << QString::fromUtf8(*f);

  const QStringList installed = QFontDatabase::families();
  QStringList families;
  for (const QString& family : wanted) {
    if (installed.contains(family, Qt::CaseInsensitive) && !families.contains(family)) {
      families << family;
    }
  }
  if (families.isEmpty()) families = wanted;  // let fontconfig find what it can
  return families;
}

QFont AfxDialogFont(const char* faceName, int points) {
  QFont font;
  font.setFamilies(AfxFontFamiliesFor(faceName));
  font.setPixelSize((points * 96 + 36) / 72);
  font.setWeight(QFont::Normal);
  font.setStyleHint(QFont::SansSerif);
  return font;
}
