// The dialog's paint on its surface: what a paint draws before, during and after a
// run, the order of paints and ticks, the clear, and that nothing drawn is lost.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <string>

#include "flight/parameters.h"
#include "flight/windowless_run.h"
#include "platform/afxwin.h"
#include "platform/qt_surface.h"
#include "res/program_resources.h"
#include "tests/support/default_flight.h"
#include "tests/support/message_boxes.h"
#include "tests/support/paint_screen.h"
#include "tests/support/process.h"
#include "tests/support/pixels.h"
#include "tests/support/test_access.h"
#include "tests/support/view_pictures.h"
#include "ui/simulator_dlg.h"
#include "ui/trajectory_view.h"

namespace vendrel::test {
namespace {

/// The dialog, noting the paints and ticks its window procedure sees.
class PaintLogDlg : public CSimulatorDlg {
 public:
  std::string log;  ///< 'p' for each WM_PAINT, 't' for each WM_TIMER

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_PAINT) log += 'p';
    if (message == WM_TIMER) log += 't';
    return CSimulatorDlg::WindowProc(message, wParam, lParam);
  }
};

class DialogPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    res::Install();
    ASSERT_TRUE(dlg.Create());
    ASSERT_EQ(dlg.Surface().Width(), view::kClientWidth);
    ASSERT_EQ(dlg.Surface().Height(), view::kClientHeight);
    QCoreApplication::processEvents();
    dlg.log.clear();
  }
  void TearDown() override {
    dlg.DestroyWindow();
    AfxSetResourceHandle(nullptr);
  }

  void Command(int id) { dlg.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  /// 計算, with the run's timer stopped at once so that the test gives the ticks.
  void StartWithoutTimer() {
    Command(IDC_CALCULATE);
    ASSERT_TRUE(TestAccess::IsRunning(dlg));
    dlg.KillTimer(CSimulatorDlg::kRunTimer);
  }
  void TickAndPaint(int n) {
    for (int i = 0; i < n; ++i) {
      TestAccess::Tick(dlg);
      TestAccess::Paint(dlg);
    }
  }
  /// Runs the event loop until `done` or the time is up; false when the time ran out.
  static bool RunUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    poll.callOnTimeout([&] {
      if (done() || clock.elapsed() > ms) loop.quit();
    });
    poll.start(2);
    loop.exec();
    return done();
  }
  bool RunEnded() const {
    return !TestAccess::IsRunning(dlg) && !TestAccess::IsPaintPending(dlg);
  }

  static PixelBuffer Blank() { return BlankClient(); }
  static PixelBuffer Filled() { return ClearedClient(); }

  MessageBoxes boxes;
  PaintLogDlg dlg;
};

TEST_F(DialogPaint, BeforeTheFirstRunAPaintDrawsNothing) {
  dlg.InvalidateRect(nullptr, FALSE);
  TestAccess::Paint(dlg);
  EXPECT_EQ(dlg.log, "p");
  EXPECT_EQ(DiffCount(dlg.Surface(), Blank()), 0);
  EXPECT_EQ(TestAccess::OutstandingDCs(dlg), 0);

  // Minimised, the icon goes to the paint's own context, never to the surface.
  dlg.ShowWindow(SW_SHOWMINIMIZED);
  dlg.InvalidateRect(nullptr, FALSE);
  TestAccess::Paint(dlg);
  EXPECT_EQ(TestAccess::PaintScreen(dlg), IconOnFace({view::kClientWidth, view::kClientHeight},
                                                     {470, 396}, dlg.GetIcon(TRUE)));
  EXPECT_EQ(DiffCount(dlg.Surface(), Blank()), 0);
}

TEST_F(DialogPaint, RepaintRequestsGiveOnePaintAndItRunsBeforeTheNextTick) {
  for (int i = 0; i < 5; ++i) dlg.InvalidateRect(nullptr, FALSE);
  ASSERT_TRUE(RunUntil([&] { return !TestAccess::IsPaintPending(dlg); }, 5000));
  QCoreApplication::processEvents();
  EXPECT_EQ(dlg.log, "p");

  dlg.log.clear();
  StartWithoutTimer();
  const FlightForm form = TestAccess::Form(dlg);
  // Ticks given back to back, with no event loop between: each tick's repaint is
  // served by the next tick before it steps.
  for (int i = 0; i < 4; ++i) TestAccess::Tick(dlg);
  EXPECT_EQ(dlg.log, "tptptpt");
  EXPECT_TRUE(TestAccess::IsPaintPending(dlg));
  EXPECT_EQ(DiffCount(dlg.Surface(), RunPicture(Blank(), form, 3)), 0);
  TestAccess::Paint(dlg);
  EXPECT_EQ(DiffCount(dlg.Surface(), RunPicture(Blank(), form, 4)), 0);
  // The requests already queued find nothing left to paint.
  QCoreApplication::processEvents();
  EXPECT_EQ(dlg.log, "tptptptp");
  EXPECT_EQ(TestAccess::OutstandingDCs(dlg), 0);
}

TEST_F(DialogPaint, AWholeDefaultRunThroughTheTimerLeavesEverySegment) {
  const PixelBuffer blank = Blank();
  auto* calculate = qobject_cast<QPushButton*>(dlg.GetDlgItem(IDC_CALCULATE));
  ASSERT_NE(calculate, nullptr);
  QElapsedTimer clock;
  clock.start();
  calculate->click();
  ASSERT_TRUE(RunUntil([&] { return RunEnded(); }, 60000)) << "the run did not end";
  const double seconds = clock.elapsed() / 1000.0;

  // Every tick of the flight followed by its paint before anything else.
  std::string expected;
  for (std::int64_t i = 0; i < DefaultFlight().ticks; ++i) expected += "tp";
  EXPECT_EQ(dlg.log, expected);
  EXPECT_EQ(TestAccess::Form(dlg).carry, DefaultFlight().carry);
  EXPECT_EQ(DiffCount(dlg.Surface(), RunPicture(blank, DefaultForm())), 0);
  EXPECT_EQ(TestAccess::OutstandingDCs(dlg), 0);
  std::printf("default flight: %.0f ticks per second\n",
              static_cast<double>(DefaultFlight().ticks) / seconds);

  // A second run, with side spin, draws over the first; nothing clears between runs.
  const PixelBuffer first = dlg.Surface();
  auto* side = qobject_cast<QLineEdit*>(dlg.GetDlgItem(IDC_SIDE_SPIN));
  side->setText("1500");
  calculate->click();
  ASSERT_TRUE(RunUntil([&] { return RunEnded(); }, 60000));
  FlightForm spin = DefaultForm();
  spin.sideSpin = 1500;
  EXPECT_EQ(DiffCount(dlg.Surface(), RunPicture(first, spin)), 0);
}

TEST_F(DialogPaint, ClearDuringARunFillsAndTheNextPaintDrawsOnTheFill) {
  StartWithoutTimer();
  TickAndPaint(50);
  Command(IDC_CLEAR_VIEW);
  EXPECT_EQ(TestAccess::ClearPending(dlg), 1);
  EXPECT_TRUE(TestAccess::IsPaintPending(dlg));
  TestAccess::Paint(dlg);
  EXPECT_EQ(TestAccess::ClearPending(dlg), 0);
  // The fill covers the axes and segments of this very paint, up to x = 699.
  EXPECT_EQ(DiffCount(dlg.Surface(), Filled()), 0);

  TickAndPaint(1);
  const FlightState& st = TestAccess::State(dlg);
  const PixelBuffer expected = WithLinePen(Filled(), [&](CDC& dc) {
    view::DrawAxes(dc);
    view::DrawSegment(dc, st.pos, st.posNext);
  });
  EXPECT_EQ(DiffCount(dlg.Surface(), expected), 0);
}

TEST_F(DialogPaint, ClearBeforeAndAfterARun) {
  // Before any run: the fill only, no axes.
  Command(IDC_CLEAR_VIEW);
  TestAccess::Paint(dlg);
  EXPECT_EQ(DiffCount(dlg.Surface(), Filled()), 0);

  Command(IDC_CALCULATE);
  ASSERT_TRUE(RunUntil([&] { return RunEnded(); }, 60000));
  EXPECT_EQ(DiffCount(dlg.Surface(), RunPicture(Filled(), DefaultForm())), 0);

  // After the run: filled and without axes until something else asks for a paint,
  // which draws the axes and the last segment again.
  Command(IDC_CLEAR_VIEW);
  Command(IDC_CLEAR_VIEW);  // two requests, one fill
  ASSERT_TRUE(RunUntil([&] { return !TestAccess::IsPaintPending(dlg); }, 5000));
  EXPECT_EQ(DiffCount(dlg.Surface(), Filled()), 0);
  dlg.InvalidateRect(nullptr, FALSE);
  TestAccess::Paint(dlg);
  const FlightState& st = TestAccess::State(dlg);
  EXPECT_EQ(DiffCount(dlg.Surface(), WithLinePen(Filled(), [&](CDC& dc) {
                        view::DrawAxes(dc);
                        view::DrawSegment(dc, st.pos, st.posNext);
                      })),
            0);
}

TEST_F(DialogPaint, HidingMinimisingAndShowingKeepTheSurface) {
  StartWithoutTimer();
  TickAndPaint(120);
  const PixelBuffer before = dlg.Surface();
  QWidget* w = dlg.GetSafeHwnd();
  w->hide();
  QCoreApplication::processEvents();
  w->show();
  QCoreApplication::processEvents();
  w->showMinimized();
  QCoreApplication::processEvents();
  w->showNormal();
  QCoreApplication::processEvents();
  EXPECT_EQ(DiffCount(dlg.Surface(), before), 0);

  // A paint while minimised still draws the view before the icon.
  w->showMinimized();
  TestAccess::PaintScreen(dlg) = PixelBuffer();
  TickAndPaint(1);
  EXPECT_FALSE(TestAccess::PaintScreen(dlg).IsNull());
  EXPECT_EQ(DiffCount(dlg.Surface(), RunPicture(Blank(), TestAccess::Form(dlg), 121)), 0);
}

TEST_F(DialogPaint, AMasslessFlightDrawsOnlyTheAxes) {
  auto* mass = qobject_cast<QLineEdit*>(dlg.GetDlgItem(IDC_BALL_MASS));
  mass->setText("0");
  Command(IDC_CALCULATE);
  ASSERT_EQ(TestAccess::DrawMode(dlg), kDrawModeRunStarted);
  ASSERT_TRUE(RunUntil([&] { return RunEnded(); }, 10000));
  EXPECT_EQ(dlg.log, "tptp");  // the height is not a number on the second tick
  const PixelBuffer axes = WithLinePen(Blank(), [](CDC& dc) { view::DrawAxes(dc); });
  EXPECT_EQ(DiffCount(dlg.Surface(), axes), 0);
  EXPECT_EQ(TestAccess::Form(dlg).carry, 0.0);
}

TEST_F(DialogPaint, TheCommandLinePictureIsTheDialogsSurface) {
  auto* calculate = qobject_cast<QPushButton*>(dlg.GetDlgItem(IDC_CALCULATE));
  calculate->click();
  ASSERT_TRUE(RunUntil([&] { return RunEnded(); }, 60000));
  qobject_cast<QLineEdit*>(dlg.GetDlgItem(IDC_SIDE_SPIN))->setText("-1500");
  qobject_cast<QLineEdit*>(dlg.GetDlgItem(IDC_LAUNCH_ANGLE))->setText("30");
  calculate->click();
  ASSERT_TRUE(RunUntil([&] { return RunEnded(); }, 60000));

  const std::string path = ScratchPath("flights.png");
  const auto r = RunFlightTool({"--png", path, "--overlay", "side-spin=-1500,angle=30"});
  ASSERT_EQ(r.status, 0) << r.err;
  const QImage picture(QString::fromStdString(path));
  ASSERT_EQ(picture.size(), SurfaceImage(dlg.Surface()).size());
  EXPECT_EQ(picture.convertToFormat(QImage::Format_RGBX8888), SurfaceImage(dlg.Surface()));
}

}  // namespace
}  // namespace vendrel::test
