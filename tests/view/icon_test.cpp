// Icons on a surface need the GUI application, so they live with the window's tests.
#include <gtest/gtest.h>

#include <QIcon>
#include <QPixmap>

#include "platform/gdi.h"
#include "platform/qt_surface.h"
#include "tests/support/pixels.h"

namespace vendrel::test {
namespace {

TEST(DrawIcon, DrawsTheLargeSizeAtItsCorner) {
  QPixmap red(32, 32);
  red.fill(Qt::red);
  QPixmap small(16, 16);
  small.fill(Qt::blue);
  QIcon onlyLarge(red);
  QIcon onlySmall(small);

  PixelBuffer s = MakeSurface(40, 40);
  CDC dc(&s);
  EXPECT_TRUE(DrawIcon(dc, 2, 2, &onlyLarge));
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      const bool in = x >= 2 && x < 34 && y >= 2 && y < 34;
      ASSERT_EQ(At(s, x, y), in ? RGB(255, 0, 0) : kFace) << x << "," << y;
    }

  // A small icon is drawn at the large size; off the surface it is cut, not refused.
  PixelBuffer t = MakeSurface(40, 40);
  CDC dt(&t);
  EXPECT_TRUE(DrawIcon(dt, -15, -15, &onlySmall));
  EXPECT_EQ(At(t, 16, 16), RGB(0, 0, 255));
  EXPECT_EQ(At(t, 17, 17), kFace);

  EXPECT_FALSE(DrawIcon(dt, 0, 0, nullptr));
}

}  // namespace
}  // namespace vendrel::test
