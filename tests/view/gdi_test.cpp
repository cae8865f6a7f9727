// Device contexts on a bare surface: the wide pen's shape, clipping of long lines,
// fills, and that drawing only ever writes the pen's colour.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdint>
#include <random>
#include <string>
#include <utility>

#include "platform/gdi.h"
#include "tests/support/named_rows.h"
#include "tests/support/pixels.h"

namespace vendrel::test {
namespace {

constexpr COLORREF kGreen = RGB(0, 255, 0);

PixelBuffer DrawLine(PixelBuffer surface, int ax, int ay, int bx, int by, int width = 5,
                COLORREF colour = kGreen) {
  CPen pen(PS_SOLID, width, colour);
  CDC dc(&surface);
  dc.SelectObject(&pen);
  dc.MoveTo(ax, ay);
  dc.LineTo(bx, by);
  dc.SelectObject(nullptr);
  return surface;
}

TEST(Surface, StartsInTheFaceColourAtTheClientSize) {
  const PixelBuffer s = MakeSurface(971, 824);
  ASSERT_EQ(s.Width(), 971);
  ASSERT_EQ(s.Height(), 824);
  for (int y = 0; y < s.Height(); y += 7)
    for (int x = 0; x < s.Width(); x += 5) ASSERT_EQ(At(s, x, y), kFace);
  EXPECT_TRUE(MakeSurface(0, 0).IsNull());
  EXPECT_TRUE(MakeSurface(-3, 10).IsNull());
}

// A page shows the surface's memory as it is: bytes R, G, B, A of each pixel, row after
// row with no padding.
TEST(Surface, LiesInMemoryAsABrowsersImageData) {
  PixelBuffer s = MakeSurface(7, 5);
  ASSERT_EQ(s.BytesPerLine(), 28u);
  ASSERT_EQ(s.SizeInBytes(), 140u);
  CDC dc(&s);
  dc.FillSolidRect(3, 2, 1, 1, RGB(1, 2, 3));
  const std::uint8_t* p = s.Bits() + 2 * 28 + 3 * 4;
  EXPECT_EQ((std::vector<int>{p[0], p[1], p[2], p[3]}), (std::vector<int>{1, 2, 3, 255}));
  EXPECT_EQ((std::vector<int>{p[4], p[5], p[6], p[7]}), (std::vector<int>{240, 240, 240, 255}));
}

// A window puts pictures back and resizes its paint screen at every paint: copies and
// resets reuse the memory a buffer has, and a moved-from buffer is null.
TEST(Surface, CopiesAndResetsKeepTheirMemory) {
  PixelBuffer s = MakeSurface(40, 30);
  const std::uint8_t* memory = s.Bits();
  s.Reset(8, 8, RGB(1, 2, 3));
  s.Reset(40, 30, RGB(4, 5, 6));
  EXPECT_EQ(s.Bits(), memory);
  EXPECT_EQ(At(s, 39, 29), RGB(4, 5, 6));

  PixelBuffer copy = s;
  EXPECT_EQ(copy, s);
  copy.SetPixel(0, 0, kGreen);
  EXPECT_EQ(At(s, 0, 0), RGB(4, 5, 6));  // not shared
  copy = PixelBuffer();
  EXPECT_TRUE(copy.IsNull());
  copy = s;
  EXPECT_EQ(copy, s);

  PixelBuffer moved = std::move(copy);
  EXPECT_TRUE(copy.IsNull());
  EXPECT_EQ(moved, s);
  EXPECT_NE(moved, MakeSurface(40, 29));
}

/// The bounding box of the pixels that differ, as the window's dirty rectangle.
CRect DiffBox(const PixelBuffer& a, const PixelBuffer& b) {
  CRect box;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y)) box |= CRect{x, y, x + 1, y + 1};
  return box;
}

// The window shows again only what a context reports changed: every changed pixel
// must be inside, and a drawing that changes nothing reports nothing.
TEST(DeviceContext, ReportsTheBoxOfThePixelsItChanged) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> cx(-80, 280), cy(-80, 200);
  const PixelBuffer blank = MakeSurface(200, 120);
  for (int i = 0; i < 100; ++i) {
    const Seg g{cx(rng), cy(rng), cx(rng), cy(rng)};
    const int fx = cx(rng), fy = cy(rng);
    CPen pen(PS_SOLID, 1 + i % 7, kGreen);
    auto draw = [&](CDC& dc) {
      dc.SelectObject(&pen);
      dc.MoveTo(int(g.ax), int(g.ay));
      dc.LineTo(int(g.bx), int(g.by));
      if (i % 3 == 0) dc.FillSolidRect(fx, fy, i, i / 2, kGreen);
    };
    PixelBuffer s = blank;
    CDC dc(&s);
    draw(dc);
    ASSERT_EQ(dc.ChangedRect(), DiffBox(blank, s)) << i;

    // The same drawing again, on a fresh context: nothing changes, nothing to show.
    CDC again(&s);
    draw(again);
    EXPECT_TRUE(again.ChangedRect().IsRectEmpty()) << i;
  }
}

TEST(WidePen, HorizontalLineIsFivePixelsWideWithRoundEnds) {
  const PixelBuffer blank = MakeSurface(700, 400);
  const PixelBuffer s = DrawLine(blank, 10, 200, 600, 200);
  // Full width over the body, rows 198..202.
  for (int x = 10; x <= 600; ++x)
    for (int y = 198; y <= 202; ++y) ASSERT_EQ(At(s, x, y), kGreen) << x << "," << y;
  for (int x = 0; x < 700; ++x) {
    ASSERT_EQ(At(s, x, 197), At(blank, x, 197));
    ASSERT_EQ(At(s, x, 203), At(blank, x, 203));
  }
  // The ends are rounded: two pixels beyond the end point on the axis, not in the corners.
  EXPECT_EQ(At(s, 8, 200), kGreen);
  EXPECT_EQ(At(s, 602, 200), kGreen);
  EXPECT_NE(At(s, 7, 200), kGreen);
  EXPECT_NE(At(s, 8, 198), kGreen);
  EXPECT_NE(At(s, 602, 202), kGreen);
  EXPECT_EQ(DiffCount(s, Reference(blank, {{10, 200, 600, 200}}, 5, kGreen)), 0);
}

// The span arithmetic against a per-pixel decision, over every direction and length,
// end points inside and outside the surface, several pen widths.
TEST(WidePen, MatchesThePerPixelDefinition) {
  std::mt19937 rng(4);
  std::uniform_int_distribution<int> cx(-60, 220), cy(-60, 180), width(1, 9);
  const PixelBuffer blank = MakeSurface(160, 120);
  for (int i = 0; i < 400; ++i) {
    Seg seg{cx(rng), cy(rng), cx(rng), cy(rng)};
    if (i % 10 == 0) seg.bx = seg.ax;  // vertical
    if (i % 10 == 1) seg.by = seg.ay;  // horizontal
    if (i % 10 == 2) seg.bx = seg.ax, seg.by = seg.ay;  // a dot
    const int w = width(rng);
    const PixelBuffer got = DrawLine(blank, int(seg.ax), int(seg.ay), int(seg.bx), int(seg.by), w);
    ASSERT_EQ(DiffCount(got, Reference(blank, {seg}, w, kGreen)), 0)
        << "(" << seg.ax << "," << seg.ay << ")-(" << seg.bx << "," << seg.by << ") w " << w;
  }
}

// A line whose far end lies a billion pixels away draws, on the surface, exactly what
// the same straight line ending just outside it draws.
struct Direction {
  const char* name;
  int dx, dy;
};
void PrintTo(const Direction& d, std::ostream* os) { *os << d.name; }

class FarEndPoints : public ::testing::TestWithParam<Direction> {};

TEST_P(FarEndPoints, DrawTheSameVisiblePixelsAsANearLine) {
  const PixelBuffer blank = MakeSurface(971, 824);
  const Direction d = GetParam();
  const int sx = 400, sy = 300;
  // Steps along the line until it is well outside (at least the pen's reach).
  const int nearSteps = std::max(1500 / std::max(std::abs(d.dx), std::abs(d.dy)), 1);
  const std::int64_t bound = 2000000000;
  const std::int64_t farSteps = bound / std::max(std::abs(d.dx), std::abs(d.dy));
  const PixelBuffer nearLine = DrawLine(blank, sx - nearSteps * d.dx, sy - nearSteps * d.dy,
                                        sx + nearSteps * d.dx, sy + nearSteps * d.dy);
  const PixelBuffer farLine =
      DrawLine(blank, int(sx - farSteps * d.dx), int(sy - farSteps * d.dy),
               int(sx + farSteps * d.dx), int(sy + farSteps * d.dy));
  EXPECT_GT(DiffCount(nearLine, blank), 900);
  EXPECT_EQ(DiffCount(nearLine, farLine), 0);
}

INSTANTIATE_TEST_SUITE_P(
    WidePen, FarEndPoints,
    ::testing::Values(Direction{"Shallow", 7, 3}, Direction{"ShallowBack", -7, 3},
                      Direction{"SteepUp", 3, -7}, Direction{"SteepUpBack", -3, -7},
                      Direction{"Horizontal", 1, 0}, Direction{"VerticalUp", 0, -1},
                      Direction{"Diagonal", 1, 1}, Direction{"AntiDiagonal", -1, 1},
                      Direction{"NearlyHorizontal", 40, 1}, Direction{"NearlyVertical", 1, -40},
                      Direction{"MillionToOne", 1000000, 1},
                      Direction{"OneToAMillion", -1, 999999}),
    RowName());

TEST(WidePen, ExtremeCoordinatesAreSafeAndFast) {
  const PixelBuffer blank = MakeSurface(971, 824);
  // The diagonal y = x through the whole 32-bit plane, and the same line kept short.
  EXPECT_EQ(DiffCount(DrawLine(blank, INT_MIN, INT_MIN, INT_MAX, INT_MAX),
                      DrawLine(blank, -10, -10, 1000, 1000)),
            0);

  // Lines between the corners of the plane and through its edges, each on its own:
  // only the pen's colour, and no more than a five-pixel band across the surface.
  const int e[] = {INT_MIN, -5, 500, 1000000000, INT_MAX};
  CPen pen(PS_SOLID, 5, kGreen);
  double seconds = 0;
  for (int ax : e)
    for (int ay : e)
      for (int bx : e)
        for (int by : e) {
          PixelBuffer s = blank;
          CDC dc(&s);
          dc.SelectObject(&pen);
          dc.MoveTo(ax, ay);
          const auto start = std::chrono::steady_clock::now();
          dc.LineTo(bx, by);
          seconds +=
              std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
          std::int64_t changed = 0, foreign = 0;
          for (int y = 0; y < s.Height(); ++y) {
            for (int x = 0; x < s.Width(); ++x) {
              const COLORREF c = s.Pixel(x, y);
              if (c == kFace) continue;
              ++changed;
              if (c != kGreen) ++foreign;
            }
          }
          ASSERT_EQ(foreign, 0);
          ASSERT_LE(changed, 5 * 1300 + 50) << ax << "," << ay << " " << bx << "," << by;
        }
  std::printf("625 lines in %.1f ms\n", seconds * 1e3);
  EXPECT_LT(seconds, 5.0);  // milliseconds in all in a debug build

  // Far off the surface, nothing at all.
  EXPECT_EQ(DiffCount(DrawLine(blank, INT_MIN, INT_MIN, INT_MIN, INT_MAX), blank), 0);
  EXPECT_EQ(DiffCount(DrawLine(blank, -100, INT_MIN, INT_MAX, -100), blank), 0);
}

TEST(WidePen, RedrawingChangesNothingAndWritesOnlyThePenColour) {
  std::mt19937 rng(9);
  std::uniform_int_distribution<int> cx(-200, 1200), cy(-200, 1000);
  PixelBuffer s = MakeSurface(971, 824);
  const PixelBuffer blank = s;
  CPen pen(PS_SOLID, 5, kGreen);
  CDC dc(&s);
  dc.SelectObject(&pen);
  std::vector<Seg> segs;
  for (int i = 0; i < 40; ++i) segs.push_back({cx(rng), cy(rng), cx(rng), cy(rng)});
  auto drawAll = [&] {
    for (const Seg& g : segs) {
      dc.MoveTo(int(g.ax), int(g.ay));
      dc.LineTo(int(g.bx), int(g.by));
    }
  };
  drawAll();
  const PixelBuffer once = s;
  const CRect first = dc.ChangedRect();
  drawAll();
  EXPECT_EQ(DiffCount(once, s), 0);
  // Nothing changed, so nothing more for the window to show.
  EXPECT_EQ(dc.ChangedRect(), first);
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x)
      ASSERT_TRUE(At(s, x, y) == At(blank, x, y) || At(s, x, y) == kGreen);
}

TEST(DeviceContext, PenSelectionAndCurrentPosition) {
  PixelBuffer s = MakeSurface(50, 50);
  const PixelBuffer blank = s;
  CDC dc(&s);
  CPen green(PS_SOLID, 5, kGreen);
  CPen red(PS_SOLID, 3, RGB(255, 0, 0));
  EXPECT_EQ(dc.SelectObject(&green), nullptr);
  EXPECT_EQ(dc.SelectObject(&red), &green);
  EXPECT_EQ(dc.SelectObject(&green), &red);

  EXPECT_EQ(dc.MoveTo(5, 6), (CPoint{0, 0}));
  EXPECT_TRUE(dc.LineTo(20, 6));
  EXPECT_EQ(dc.MoveTo(1, 1), (CPoint{20, 6}));  // the line's end became the current point

  // A deleted pen draws nothing, but the position still moves.
  PixelBuffer before = s;
  EXPECT_TRUE(green.DeleteObject());
  EXPECT_FALSE(green.DeleteObject());
  EXPECT_FALSE(dc.LineTo(40, 40));
  EXPECT_EQ(DiffCount(before, s), 0);
  EXPECT_EQ(dc.MoveTo(0, 0), (CPoint{40, 40}));

  CPen dashed;
  EXPECT_FALSE(dashed.CreatePen(1, 5, kGreen));
  EXPECT_FALSE(dashed.valid());

  // No surface: nothing to draw on, nothing breaks.
  CDC none(nullptr);
  none.SelectObject(&red);
  EXPECT_FALSE(none.LineTo(3, 3));
  none.FillSolidRect(0, 0, 10, 10, kGreen);
}

TEST(DeviceContext, StockPenDrawsOnePixelWide) {
  PixelBuffer s = MakeSurface(20, 20);
  CDC dc(&s);
  dc.MoveTo(2, 3);
  dc.LineTo(8, 3);
  for (int x = 0; x < 20; ++x)
    for (int y = 0; y < 20; ++y)
      ASSERT_EQ(At(s, x, y), y == 3 && x >= 2 && x <= 8 ? RGB(0, 0, 0) : kFace);
}

TEST(DeviceContext, FillSolidRectCoversExactlyItsRectangle) {
  PixelBuffer s = MakeSurface(60, 40);
  CDC dc(&s);
  dc.FillSolidRect(10, 5, 20, 7, RGB(1, 2, 3));  // x 10..29, y 5..11
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x) {
      const bool in = x >= 10 && x <= 29 && y >= 5 && y <= 11;
      ASSERT_EQ(At(s, x, y), in ? RGB(1, 2, 3) : kFace) << x << "," << y;
    }

  // Filled again over itself it writes nothing; a pixel changed meanwhile in a narrow
  // or a wide rectangle, even rows below the top, is filled again.
  CDC again(&s);
  again.FillSolidRect(10, 5, 20, 7, RGB(1, 2, 3));
  EXPECT_TRUE(again.ChangedRect().IsRectEmpty());
  for (const int cx : {2, 150}) {
    PixelBuffer w = MakeSurface(200, 20);
    CDC dw(&w);
    dw.FillSolidRect(10, 5, cx, 7, RGB(1, 2, 3));
    w.SetPixel(10 + cx - 1, 9, kGreen);
    dw.FillSolidRect(10, 5, cx, 7, RGB(1, 2, 3));
    EXPECT_EQ(At(w, 10 + cx - 1, 9), RGB(1, 2, 3)) << cx;
  }

  // Partly outside, empty, and sizes that would overflow an int when added.
  PixelBuffer t = MakeSurface(60, 40);
  CDC dt(&t);
  dt.FillSolidRect(-5, -5, 10, 10, RGB(9, 9, 9));
  EXPECT_EQ(At(t, 4, 4), RGB(9, 9, 9));
  EXPECT_EQ(At(t, 5, 4), kFace);
  const PixelBuffer before = t;
  dt.FillSolidRect(20, 20, 0, 10, RGB(9, 9, 9));
  dt.FillSolidRect(20, 20, 10, -1, RGB(9, 9, 9));
  EXPECT_EQ(DiffCount(before, t), 0);
  dt.FillSolidRect(50, 30, INT_MAX, INT_MAX, RGB(7, 7, 7));
  EXPECT_EQ(At(t, 59, 39), RGB(7, 7, 7));
  EXPECT_EQ(At(t, 49, 39), kFace);
  dt.FillSolidRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX, RGB(5, 5, 5));  // ends at -2, -2
  EXPECT_EQ(At(t, 0, 0), RGB(9, 9, 9));
}

}  // namespace
}  // namespace vendrel::test
