// The trajectory view's drawing on bare surfaces: the mapping to the two views, the
// axes, segments of real flights, and the fill of a clear.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "flight/parameters.h"
#include "flight/windowless_run.h"
#include "tests/support/pixels.h"
#include "tests/support/view_pictures.h"
#include "ui/trajectory_view.h"

namespace vendrel::test {
namespace {

using view::SideViewPoint;
using view::TopViewPoint;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

Vec5 P(double x, double y, double z) { return {0.0, x, y, z, 0.0}; }

PixelBuffer Blank() { return BlankClient(); }

const std::vector<Seg> kAxes = {
    {10, 10, 10, 400}, {10, 200, 600, 200}, {10, 460, 10, 750}, {10, 750, 600, 750}};

TEST(Mapping, TruncatesTowardZeroAtTwoPixelsPerMetre) {
  EXPECT_EQ(TopViewPoint(P(0, 0, 0)), (CPoint{10, 200}));
  EXPECT_EQ(SideViewPoint(P(0, 0, 0)), (CPoint{10, 750}));
  EXPECT_EQ(TopViewPoint(P(0.3, 0, 0.4)), (CPoint{10, 200}));   // x from 10.6
  EXPECT_EQ(SideViewPoint(P(0.3, 0, 0.4)), (CPoint{10, 749}));  // y from 749.2
  EXPECT_EQ(TopViewPoint(P(0, 100.3, 0)), (CPoint{10, 0}));     // y from -0.6, not -1
  EXPECT_EQ(TopViewPoint(P(-5.3, 0, 0)), (CPoint{0, 200}));     // x from -0.6
  EXPECT_EQ(TopViewPoint(P(-5.8, 0, 0)), (CPoint{-1, 200}));    // x from -1.6
  EXPECT_EQ(SideViewPoint(P(295, 0, 145)), (CPoint{600, 460}));  // the axes' far ends
  EXPECT_EQ(TopViewPoint(P(0, -100, 0)), (CPoint{10, 400}));
  // Components 0 and 4 take no part.
  EXPECT_EQ(TopViewPoint({kNaN, 1, 2, 3, kNaN}), (CPoint{12, 196}));
}

TEST(Mapping, NoPointForValuesOutsideA32BitInteger) {
  // Right at the edges of the 32-bit range, the product is taken first.
  EXPECT_EQ(TopViewPoint(P(1073741818.75, 0, 0)), (CPoint{2147483647, 200}));
  EXPECT_EQ(TopViewPoint(P(1073741819.0, 0, 0)), std::nullopt);  // 2147483648
  EXPECT_EQ(TopViewPoint(P(-1073741829.25, 0, 0)), (CPoint{INT32_MIN, 200}));
  EXPECT_EQ(TopViewPoint(P(-1073741829.5, 0, 0)), std::nullopt);  // -2147483649
  EXPECT_EQ(SideViewPoint(P(0, 0, 1073742199.25)), (CPoint{10, INT32_MIN}));
  EXPECT_EQ(SideViewPoint(P(0, 0, -1e10)), std::nullopt);

  for (double bad : {kNaN, kInf, -kInf, 1e300, -1e300}) {
    EXPECT_EQ(TopViewPoint(P(bad, 0, 0)), std::nullopt) << bad;
    EXPECT_EQ(SideViewPoint(P(bad, 0, 0)), std::nullopt) << bad;
    // Only the view that uses the bad coordinate loses its point.
    EXPECT_EQ(TopViewPoint(P(0, bad, 0)), std::nullopt) << bad;
    EXPECT_EQ(SideViewPoint(P(0, bad, 0)), (CPoint{10, 750})) << bad;
    EXPECT_EQ(TopViewPoint(P(0, 0, bad)), (CPoint{10, 200})) << bad;
    EXPECT_EQ(SideViewPoint(P(0, 0, bad)), std::nullopt) << bad;
  }
}

TEST(Axes, CoverExactlyThePenAroundTheFourLines) {
  const PixelBuffer blank = Blank();
  const PixelBuffer s = WithLinePen(blank, [](CDC& dc) { view::DrawAxes(dc); });
  EXPECT_EQ(DiffCount(s, Reference(blank, kAxes, 5, view::kLineColour)), 0);
  const COLORREF green = RGB(0, 255, 0);
  for (auto [x, y] : {std::pair{10, 10}, {10, 400}, {10, 200}, {600, 200}, {300, 200},
                      {10, 460}, {10, 750}, {600, 750}, {300, 752}, {12, 600}, {8, 10}})
    EXPECT_EQ(At(s, x, y), green) << x << "," << y;
  // Beyond the pen's reach: past the ends, beside the lines, between the views.
  for (auto [x, y] : {std::pair{10, 7}, {10, 403}, {603, 200}, {10, 420}, {10, 457},
                      {13, 300}, {7, 600}, {300, 753}, {300, 747}, {603, 750}, {8, 752}})
    EXPECT_EQ(At(s, x, y), kFace) << x << "," << y;
}

TEST(Segments, FirstSegmentsOfAFlightStartAtTheOrigins) {
  FlightForm form = DefaultForm();
  FlightState first;
  RunFlight(form, 1, [&](std::int64_t, const FlightState& st) { first = st; });
  ASSERT_EQ(first.pos, (Vec5{}));

  const PixelBuffer blank = Blank();
  const PixelBuffer s = WithLinePen(blank, [&](CDC& dc) { view::DrawSegment(dc, first.pos, first.posNext); });
  const CPoint top = *TopViewPoint(first.posNext);
  const CPoint side = *SideViewPoint(first.posNext);
  EXPECT_EQ(top, (CPoint{11, 200}));  // 0.579 m downrange, 0.155 m up
  EXPECT_EQ(side, (CPoint{11, 749}));
  EXPECT_EQ(DiffCount(s, Reference(blank, {{10, 200, 11, 200}, {10, 750, 11, 749}}, 5,
                                   view::kLineColour)),
            0);
}

TEST(Segments, AViewWithoutBothPointsGetsNoSegment) {
  const PixelBuffer blank = Blank();
  // Height not a number: the top view still gets its segment, the side view none.
  const PixelBuffer s = WithLinePen(blank, [](CDC& dc) { view::DrawSegment(dc, P(20, 10, 5), P(30, 10, kNaN)); });
  EXPECT_EQ(DiffCount(s, Reference(blank, {{50, 180, 70, 180}}, 5, view::kLineColour)), 0);
  // A downrange beyond any integer: neither view.
  const PixelBuffer none = WithLinePen(blank, [](CDC& dc) {
    view::DrawSegment(dc, P(0, 0, 0), P(1e300, 0, 0));
    view::DrawSegment(dc, P(-kInf, 0, 0), P(0, 0, 0));
    view::DrawSegment(dc, P(kNaN, kNaN, kNaN), P(kNaN, kNaN, kNaN));
  });
  EXPECT_EQ(DiffCount(none, blank), 0);
  // A segment a billion metres long is drawn as far as the surface reaches.
  const PixelBuffer longLine =
      WithLinePen(blank, [](CDC& dc) { view::DrawSegment(dc, P(0, 0, 0), P(1e9, 0, 1e9)); });
  EXPECT_EQ(At(longLine, view::kClientWidth - 1, 200), RGB(0, 255, 0));
  EXPECT_EQ(At(longLine, 10, 750), RGB(0, 255, 0));
}

TEST(Segments, OnePaintOfARunIsTheAxesAndTheSegmentInTheLinePen) {
  const PixelBuffer blank = Blank();
  PixelBuffer s = blank;
  CDC dc(&s);
  CPen own(PS_SOLID, 1, RGB(1, 2, 3));
  dc.SelectObject(&own);
  view::DrawRunStep(dc, P(20, 10, 5), P(30, 10, 15));
  std::vector<Seg> lines = kAxes;
  lines.push_back({50, 180, 70, 180});
  lines.push_back({50, 740, 70, 720});
  EXPECT_EQ(DiffCount(s, Reference(blank, lines, 5, view::kLineColour)), 0);
  EXPECT_EQ(dc.SelectObject(nullptr), &own) << "the caller's pen is selected again";
  // Without the axes on a surface that has them: the same picture.
  PixelBuffer again = s;
  CDC second(&again);
  view::DrawRunStep(second, P(20, 10, 5), P(30, 10, 15), false);
  EXPECT_EQ(DiffCount(again, s), 0);
  EXPECT_TRUE(second.ChangedRect().IsRectEmpty());
}

TEST(Segments, FlightWithoutSideSpinStaysOnTheDownrangeAxis) {
  const PixelBuffer axes = WithLinePen(Blank(), [](CDC& dc) { view::DrawAxes(dc); });
  FlightOutcome out;
  const PixelBuffer run = RunPicture(Blank(), DefaultForm(), -1, &out);
  EXPECT_TRUE(out.landed());
  // In the top view nothing leaves the band of the axis at y = 200.
  for (int y = 0; y < 430; ++y)
    for (int x = 0; x < run.Width(); ++x) {
      if (y >= 198 && y <= 202) continue;
      ASSERT_EQ(At(run, x, y), At(axes, x, y)) << x << "," << y;
    }
  // The side view's highest point, about 12.68 m, is y = 750 - 25.4 with the pen around it.
  int topRow = 900;
  for (int y = 430; y < run.Height() && topRow == 900; ++y)
    for (int x = 13; x < run.Width(); ++x)
      if (At(run, x, y) != At(axes, x, y)) {
        topRow = y;
        break;
      }
  EXPECT_EQ(topRow, 722);

  // Drawing the same run again over it changes nothing.
  EXPECT_EQ(DiffCount(run, RunPicture(run, DefaultForm())), 0);
}

TEST(Segments, SideSpinBendsTheTopViewUpwards) {
  FlightForm form = DefaultForm();
  form.sideSpin = 1500;
  const PixelBuffer run = RunPicture(Blank(), form);
  const PixelBuffer axes = WithLinePen(Blank(), [](CDC& dc) { view::DrawAxes(dc); });
  // About 2.57 m of lateral offset at the end: y = 194, with the pen's reach up to 192,
  // and never below the axis.
  EXPECT_EQ(At(run, 378, 192), RGB(0, 255, 0));
  for (int y = 0; y < 430; ++y) {
    if (y >= 192 && y <= 202) continue;
    for (int x = 0; x < run.Width(); ++x) ASSERT_EQ(At(run, x, y), At(axes, x, y)) << x << "," << y;
  }
}

TEST(Segments, MasslessFlightDrawsOnlyTheAxes) {
  FlightForm form = DefaultForm();
  form.ballMass = 0;
  FlightOutcome out;
  const PixelBuffer run = RunPicture(Blank(), form, -1, &out);
  EXPECT_LE(out.ticks, 3);  // the height turns into a number that is not one and ends the run
  const PixelBuffer axes = WithLinePen(Blank(), [](CDC& dc) { view::DrawAxes(dc); });
  EXPECT_EQ(DiffCount(run, axes), 0);
}

TEST(Clear, FillsExactlyTheDrawingArea) {
  // A surface larger than the client area shows both edges of the fill.
  const PixelBuffer blank = MakeSurface(1000, 1000);
  const PixelBuffer s = WithLinePen(blank, [](CDC& dc) {
    view::DrawAxes(dc);
    view::FillClear(dc);
  });
  const COLORREF fill = RGB(192, 191, 224);
  for (int y = 0; y < 1000; ++y)
    for (int x = 0; x < 1000; ++x)
      ASSERT_EQ(At(s, x, y), x < 700 && y < 900 ? fill : kFace) << x << "," << y;

  // On the client surface it reaches under the controls' column up to x = 699.
  const PixelBuffer c = WithLinePen(Blank(), [](CDC& dc) { view::FillClear(dc); });
  EXPECT_EQ(At(c, 699, 823), fill);
  EXPECT_EQ(At(c, 700, 0), kFace);
}

}  // namespace
}  // namespace vendrel::test
