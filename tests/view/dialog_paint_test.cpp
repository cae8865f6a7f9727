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

#include "flight/form_fields.h"
#include "flight/sync_run.h"
#include "platform/afxwin.h"
#include "platform/qt_surface.h"
#include "res/vendrel_res.h"
#include "tests/support/process.h"
#include "tests/support/pixels.h"
#include "ui/simulator_dlg.h"
#include "ui/trajectory_view.h"

namespace vendrel::test {
namespace {

int AnswerAtOnce(const char*, UINT) { return IDOK; }

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
    AfxSetMessageBoxHook(&AnswerAtOnce);
    ASSERT_TRUE(dlg.Create());
    ASSERT_EQ(dlg.Surface().Width(), view::kClientWidth);
    ASSERT_EQ(dlg.Surface().Height(), view::kClientHeight);
    QCoreApplication::processEvents();
    dlg.log.clear();
  }
  void TearDown() override {
    dlg.DestroyWindow();
    AfxSetMessageBoxHook(nullptr);
    AfxSetResourceHandle(nullptr);
  }

  void Command(int id) { dlg.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  /// 計算, with the run's timer stopped at once so that the test gives the ticks.
  void StartWithoutTimer() {
    Command(IDC_CALCULATE);
    ASSERT_TRUE(dlg.IsTimerRunning(CSimulatorDlg::kRunTimer));
    dlg.KillTimer(CSimulatorDlg::kRunTimer);
  }
  void TickAndPaint(int n) {
    for (int i = 0; i < n; ++i) {
      dlg.DispatchTick();
      dlg.DispatchPaint();
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
    return !dlg.IsTimerRunning(CSimulatorDlg::kRunTimer) && !dlg.IsPaintPending();
  }

  static PixelBuffer Blank() { return MakeSurface(view::kClientWidth, view::kClientHeight); }
  /// What the drawing calls make on `surface`, with the line pen selected.
  static PixelBuffer With(PixelBuffer surface, const std::function<void(CDC&)>& draw) {
    CDC dc(&surface);
    CPen pen;
    view::CreateLinePen(pen);
    dc.SelectObject(&pen);
    draw(dc);
    dc.SelectObject(nullptr);
    return surface;
  }
  /// The axes and the segments of the run's first `ticks` ticks (all of them: -1),
  /// all drawn at once on `surface`.
  static PixelBuffer RunPicture(PixelBuffer surface, FlightForm form, std::int64_t ticks = -1) {
    return With(std::move(surface), [&](CDC& dc) {
      view::DrawAxes(dc);
      RunFlight(form, ticks < 0 ? 1000000 : ticks, [&](std::int64_t, const FlightState& st) {
        view::DrawSegment(dc, st.pos, st.posNext);
      });
    });
  }
  static PixelBuffer Filled() {
    PixelBuffer s = Blank();
    CDC dc(&s);
    view::FillClear(dc);
    return s;
  }

  PaintLogDlg dlg;
};

TEST_F(DialogPaint, BeforeTheFirstRunAPaintDrawsNothing) {
  dlg.InvalidateRect(nullptr, FALSE);
  dlg.DispatchPaint();
  EXPECT_EQ(dlg.log, "p");
  EXPECT_EQ(DiffCount(dlg.Surface(), Blank()), 0);
  EXPECT_EQ(dlg.OutstandingDCs(), 0);

  // Minimised, the icon goes to the paint's own context, never to the surface.
  dlg.SimulateIconic(true);
  dlg.InvalidateRect(nullptr, FALSE);
  dlg.DispatchPaint();
  EXPECT_EQ(dlg.LastPaintRecord().icons, 1);
  EXPECT_EQ(DiffCount(dlg.Surface(), Blank()), 0);
}

TEST_F(DialogPaint, RepaintRequestsGiveOnePaintAndItRunsBeforeTheNextTick) {
  for (int i = 0; i < 5; ++i) dlg.InvalidateRect(nullptr, FALSE);
  ASSERT_TRUE(RunUntil([&] { return !dlg.IsPaintPending(); }, 5000));
  QCoreApplication::processEvents();
  EXPECT_EQ(dlg.log, "p");

  dlg.log.clear();
  StartWithoutTimer();
  const FlightForm form = dlg.Form();
  // Ticks given back to back, with no event loop between: each tick's repaint is
  // served by the next tick before it steps.
  for (int i = 0; i < 4; ++i) dlg.DispatchTick();
  EXPECT_EQ(dlg.log, "tptptpt");
  EXPECT_TRUE(dlg.IsPaintPending());
  EXPECT_EQ(DiffCount(dlg.Surface(), RunPicture(Blank(), form, 3)), 0);
  dlg.DispatchPaint();
  EXPECT_EQ(DiffCount(dlg.Surface(), RunPicture(Blank(), form, 4)), 0);
  // The requests already queued find nothing left to paint.
  QCoreApplication::processEvents();
  EXPECT_EQ(dlg.log, "tptptptp");
  EXPECT_EQ(dlg.OutstandingDCs(), 0);
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

  // 332 ticks, each followed by its paint before anything else.
  std::string expected;
  for (int i = 0; i < 332; ++i) expected += "tp";
  EXPECT_EQ(dlg.log, expected);
  EXPECT_EQ(dlg.Form().carry, 183.0);
  EXPECT_EQ(DiffCount(dlg.Surface(), RunPicture(blank, DefaultForm())), 0);
  EXPECT_EQ(dlg.OutstandingDCs(), 0);
  std::printf("default flight: %.0f ticks per second\n", 332 / seconds);

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
  EXPECT_EQ(dlg.ClearPending(), 1);
  EXPECT_TRUE(dlg.IsPaintPending());
  dlg.DispatchPaint();
  EXPECT_EQ(dlg.ClearPending(), 0);
  // The fill covers the axes and segments of this very paint, up to x = 699.
  EXPECT_EQ(DiffCount(dlg.Surface(), Filled()), 0);

  TickAndPaint(1);
  const FlightState& st = dlg.State();
  const PixelBuffer expected = With(Filled(), [&](CDC& dc) {
    view::DrawAxes(dc);
    view::DrawSegment(dc, st.pos, st.posNext);
  });
  EXPECT_EQ(DiffCount(dlg.Surface(), expected), 0);
}

TEST_F(DialogPaint, ClearBeforeAndAfterARun) {
  // Before any run: the fill only, no axes.
  Command(IDC_CLEAR_VIEW);
  dlg.DispatchPaint();
  EXPECT_EQ(DiffCount(dlg.Surface(), Filled()), 0);

  Command(IDC_CALCULATE);
  ASSERT_TRUE(RunUntil([&] { return RunEnded(); }, 60000));
  EXPECT_EQ(DiffCount(dlg.Surface(), RunPicture(Filled(), DefaultForm())), 0);

  // After the run: filled and without axes until something else asks for a paint,
  // which draws the axes and the last segment again.
  Command(IDC_CLEAR_VIEW);
  Command(IDC_CLEAR_VIEW);  // two requests, one fill
  ASSERT_TRUE(RunUntil([&] { return !dlg.IsPaintPending(); }, 5000));
  EXPECT_EQ(DiffCount(dlg.Surface(), Filled()), 0);
  dlg.InvalidateRect(nullptr, FALSE);
  dlg.DispatchPaint();
  const FlightState& st = dlg.State();
  EXPECT_EQ(DiffCount(dlg.Surface(), With(Filled(), [&](CDC& dc) {
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
  dlg.SimulateIconic(true);
  const int icons = dlg.LastPaintRecord().icons;
  TickAndPaint(1);
  EXPECT_EQ(dlg.LastPaintRecord().icons, icons + 1);
  EXPECT_EQ(DiffCount(dlg.Surface(), RunPicture(Blank(), dlg.Form(), 121)), 0);
}

TEST_F(DialogPaint, AMasslessFlightDrawsOnlyTheAxes) {
  auto* mass = qobject_cast<QLineEdit*>(dlg.GetDlgItem(IDC_BALL_MASS));
  mass->setText("0");
  Command(IDC_CALCULATE);
  ASSERT_EQ(dlg.DrawMode(), kDrawModeRunStarted);
  ASSERT_TRUE(RunUntil([&] { return RunEnded(); }, 10000));
  EXPECT_EQ(dlg.log, "tptp");  // the height is not a number on the second tick
  const PixelBuffer axes = With(Blank(), [](CDC& dc) { view::DrawAxes(dc); });
  EXPECT_EQ(DiffCount(dlg.Surface(), axes), 0);
  EXPECT_EQ(dlg.Form().carry, 0.0);
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
