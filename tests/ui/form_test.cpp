// The parameter form: layout, defaults, the commits on leaving a box, refusals.
#include <QLabel>
#include <cmath>

#include "flight/launch_trig.h"
#include "flight/parameters.h"
#include "tests/support/named_rows.h"
#include "tests/ui/dialog_fixture.h"

namespace vendrel::test {
namespace {

using Form = DialogTest;

// Every control of the template, labels included, at one and a half times its dialog
// units, shown and enabled as its style says.
TEST_F(Form, ControlsStandWhereTheTemplateTimesOneAndAHalfPutsThem) {
  const DialogTemplate* t = AfxFindDialogTemplate(IDD_VENDREL_DIALOG);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(dlg->GetSafeHwnd()->size(), QSize(971, 824));
  EXPECT_EQ(dlg->GetSafeHwnd()->windowTitle(), QString("Vendrel"));
  const QList<QLabel*> labels = dlg->GetSafeHwnd()->findChildren<QLabel*>();
  qsizetype nextLabel = 0;
  for (const DialogControl& c : t->controls) {
    QWidget* w = nullptr;
    if (c.id == IDC_STATIC) {
      ASSERT_LT(nextLabel, labels.size());
      w = labels[nextLabel++];  // the labels in template order
    } else {
      w = dlg->GetDlgItem(c.id);
    }
    ASSERT_NE(w, nullptr) << c.id;
    const QString what = QString::fromUtf8(c.text) + " " + QString::number(c.id);
    const QRect expected(static_cast<int>(std::round(c.x * 1.5 + 1e-9)),
                         static_cast<int>(std::round(c.y * 1.5 + 1e-9)),
                         static_cast<int>(std::round(c.cx * 1.5 + 1e-9)),
                         static_cast<int>(std::round(c.cy * 1.5 + 1e-9)));
    EXPECT_EQ(w->geometry(), expected) << what.toStdString();
    EXPECT_EQ(w->isVisible(), (c.style & WS_VISIBLE) != 0) << what.toStdString();
    EXPECT_EQ(w->isEnabled(), (c.style & WS_DISABLED) == 0) << what.toStdString();
  }
  EXPECT_EQ(nextLabel, labels.size());  // no label the template does not have
  EXPECT_EQ(Button(IDC_CALCULATE)->geometry(), QRect(615, 426, 294, 56));
  // The column of controls starts right of the drawing area's 600 px axes.
  EXPECT_GT(Button(IDC_DEFAULT)->x(), 600);
  EXPECT_TRUE(Edit(IDC_CARRY)->isReadOnly());
}

TEST_F(Form, OpensWithTheDefaultsShownAndTheFocusOnCalculate) {
  EXPECT_EQ(Text(IDC_LAUNCH_ANGLE), "15");
  EXPECT_EQ(Text(IDC_LAUNCH_SPEED), "60");
  EXPECT_EQ(Text(IDC_SIDE_SPIN), "0");
  EXPECT_EQ(Text(IDC_BACK_SPIN), "2000");
  EXPECT_EQ(Text(IDC_K), "0.01");
  EXPECT_EQ(Text(IDC_K_PRIME), "0.02");
  EXPECT_EQ(Text(IDC_BALL_MASS), "46");
  EXPECT_EQ(Text(IDC_TIME_STEP), "0.01");
  EXPECT_EQ(Text(IDC_GRAVITY), "9.8");
  EXPECT_EQ(Text(IDC_CARRY), "0");
  EXPECT_EQ(QApplication::focusWidget(), Button(IDC_CALCULATE));
  // The form holds the defaults; the flight state is untouched until a commit or a run.
  EXPECT_EQ(TestAccess::Form(*dlg).launchSpeed, 60.0);
  EXPECT_EQ(TestAccess::State(*dlg).mass, 0.0);
  EXPECT_NE(TestAccess::DrawMode(*dlg), kDrawModeRunStarted);
}

// The default look shows where the focus is: on the focused push button, and on none
// while a box has the focus (the main template names no default button).
TEST_F(Form, TheFocusedPushButtonLooksLikeTheDefaultOne) {
  auto defaults = [&] {
    QList<int> ids;
    for (int id : {IDC_CALCULATE, IDC_DEFAULT, IDC_STOP, IDC_CLEAR_VIEW})
      if (Button(id)->isDefault()) ids << id;
    return ids;
  };
  EXPECT_EQ(defaults(), QList<int>{IDC_CALCULATE});
  Edit(IDC_K)->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(defaults(), QList<int>{});
  Button(IDC_STOP)->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(defaults(), QList<int>{IDC_STOP});
  QTest::mouseClick(Button(IDC_DEFAULT), Qt::LeftButton);
  EXPECT_EQ(defaults(), QList<int>{IDC_DEFAULT});
}

// A label too wide for one line breaks before its bracket, never inside a word: each
// line fits the label.
TEST_F(Form, LabelsBreakOnlyBeforeTheirBracket) {
  int wrapped = 0;
  for (QLabel* label : dlg->GetSafeHwnd()->findChildren<QLabel*>()) {
    if (!label->isVisible()) continue;
    const QStringList lines = label->text().split(u'\n');
    for (const QString& line : lines)
      EXPECT_LE(label->fontMetrics().horizontalAdvance(line), label->width()) << line.toStdString();
    ASSERT_LE(lines.size(), 2);
    if (lines.size() == 2) {
      EXPECT_TRUE(lines[1].startsWith(u'（')) << label->text().toStdString();
      ++wrapped;
    }
  }
  EXPECT_GE(wrapped, 2);  // at least the side spin's and the ball mass's
}

TEST_F(Form, LeavingTheAngleBoxCommitsTheLaunchVelocityOnly) {
  const FlightState before = TestAccess::State(*dlg);
  Enter(IDC_LAUNCH_ANGLE, "45");
  const double r = 45.0 / 360.0 * 6.283185307179586;
  FlightState expected = before;
  expected.launchVel[1] = LaunchCos(r) * 60.0;
  expected.launchVel[2] = 0.0;
  expected.launchVel[3] = LaunchSin(r) * 60.0;
  EXPECT_TRUE(Same(TestAccess::State(*dlg), expected));
  EXPECT_TRUE(MessageBoxes::Texts().empty());
  EXPECT_EQ(TestAccess::State(*dlg).gravity, 0.0);  // only a run copies the gravity
}

struct Commit {
  const char* name;
  int id;
  const char* text;
  double FlightState::*member;
  double value;
};
void PrintTo(const Commit& c, std::ostream* os) { *os << c.name; }

class Commits : public DialogFixture<::testing::TestWithParam<Commit>> {};

TEST_P(Commits, LeavingABoxCopiesExactlyItsField) {
  const Commit& c = GetParam();
  FlightState want = TestAccess::State(*dlg);
  want.*c.member = c.value;
  Enter(c.id, c.text);
  EXPECT_TRUE(Same(TestAccess::State(*dlg), want));
  EXPECT_TRUE(MessageBoxes::Texts().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Form, Commits,
    ::testing::Values(Commit{"BallMass", IDC_BALL_MASS, "45.5", &FlightState::mass, 45.5},
                      Commit{"K", IDC_K, "0.5", &FlightState::liftCoef, 0.5},
                      Commit{"SideSpin", IDC_SIDE_SPIN, "-1500", &FlightState::sideSpin, -1500.0},
                      Commit{"BackSpin", IDC_BACK_SPIN, "3000", &FlightState::backSpin, 3000.0},
                      Commit{"KPrime", IDC_K_PRIME, "0.03", &FlightState::dragCoef, 0.03},
                      Commit{"TimeStep", IDC_TIME_STEP, "0.002", &FlightState::dt, 0.002}),
    RowName());

struct Refusal {
  const char* name;
  int id;
  const char* text;
  std::string (*message)();
};
void PrintTo(const Refusal& c, std::ostream* os) { *os << c.name; }

class Refusals : public DialogFixture<::testing::TestWithParam<Refusal>> {};

TEST_P(Refusals, ShowOneMessageAndLeaveTheFlightAlone) {
  const Refusal& c = GetParam();
  // Committed first, so that leaving the boxes with their old texts changes nothing.
  Enter(IDC_LAUNCH_ANGLE, "15");
  Enter(IDC_TIME_STEP, "0.005");
  const FlightState before = TestAccess::State(*dlg);
  const FlightForm formBefore = TestAccess::Form(*dlg);
  Enter(c.id, c.text);
  ASSERT_EQ(MessageBoxes::Texts().size(), 1u);
  EXPECT_EQ(MessageBoxes::Texts()[0], c.message());
  EXPECT_TRUE(Same(TestAccess::State(*dlg), before));
  EXPECT_TRUE(Same(TestAccess::Form(*dlg), formBefore));
  EXPECT_EQ(QApplication::focusWidget(), Edit(c.id));
  EXPECT_EQ(Edit(c.id)->selectedText(), QString::fromUtf8(c.text));
  EXPECT_EQ(TestAccess::State(*dlg).dt, 0.005);
}

std::string NumberExpected() { return AfxNumberExpectedText(); }
std::string AngleRange() { return AfxRangeText(0, 90); }
std::string StepRange() {
  const Parameter& dt = ParameterFor(&FlightForm::timeStep);
  return AfxRangeText(dt.min, dt.max);
}

INSTANTIATE_TEST_SUITE_P(
    Form, Refusals,
    ::testing::Values(Refusal{"AngleNotANumber", IDC_LAUNCH_ANGLE, "abc", &NumberExpected},
                      Refusal{"AngleNaN", IDC_LAUNCH_ANGLE, "nan", &NumberExpected},
                      Refusal{"AngleOverflow", IDC_LAUNCH_ANGLE, "1e999", &NumberExpected},
                      Refusal{"AngleAboveRange", IDC_LAUNCH_ANGLE, "91", &AngleRange},
                      Refusal{"StepAboveRange", IDC_TIME_STEP, "0.2", &StepRange},
                      Refusal{"MassEmpty", IDC_BALL_MASS, "", &NumberExpected}),
    RowName());

TEST_F(Form, AFailedExchangeTakesTheFieldsBeforeTheRefusedOneOnly) {
  // Exchange order: mass, gravity, K, side spin, back spin, K', angle, speed, step.
  Edit(IDC_BALL_MASS)->setText("50");
  Edit(IDC_K)->setText("0.02");
  Edit(IDC_SIDE_SPIN)->setText("1e6");  // beyond 100000
  Edit(IDC_BACK_SPIN)->setText("2500");
  Enter(IDC_K_PRIME, "0.05");
  EXPECT_EQ(MessageBoxes::Texts().size(), 1u);
  EXPECT_EQ(TestAccess::Form(*dlg).ballMass, 50.0);
  EXPECT_EQ(TestAccess::Form(*dlg).k, 0.02);
  EXPECT_EQ(TestAccess::Form(*dlg).sideSpin, 0.0);
  EXPECT_EQ(TestAccess::Form(*dlg).backSpin, 2000.0);
  EXPECT_EQ(TestAccess::Form(*dlg).kPrime, 0.02);
  EXPECT_EQ(TestAccess::State(*dlg).dragCoef, 0.0);  // the commit of K' copied nothing
  // The focus went to the refused box, not the one left.
  EXPECT_EQ(QApplication::focusWidget(), Edit(IDC_SIDE_SPIN));
}

TEST_F(Form, BoundsAreAllowedAndFullWidthDigitsRead) {
  Enter(IDC_TIME_STEP, "0.00001");
  EXPECT_EQ(TestAccess::State(*dlg).dt, 0.00001);
  Enter(IDC_TIME_STEP, "0.1");
  EXPECT_EQ(TestAccess::State(*dlg).dt, 0.1);
  Enter(IDC_LAUNCH_SPEED, "６０");
  EXPECT_EQ(TestAccess::Form(*dlg).launchSpeed, 60.0);
  Enter(IDC_LAUNCH_ANGLE, "９０");
  EXPECT_EQ(TestAccess::Form(*dlg).launchAngle, 90.0);
  EXPECT_GT(TestAccess::State(*dlg).launchVel[1], 0.0);  // cos of the double nearest π/2
  EXPECT_TRUE(MessageBoxes::Texts().empty());
}

TEST_F(Form, DefaultRestoresTheBoxesAndTheFormOnly) {
  Enter(IDC_K, "0.5");
  Enter(IDC_LAUNCH_ANGLE, "30");
  TestAccess::Form(*dlg).carry = 97.0;
  const FlightState before = TestAccess::State(*dlg);
  Button(IDC_DEFAULT)->click();
  EXPECT_EQ(Text(IDC_K), "0.01");
  EXPECT_EQ(Text(IDC_LAUNCH_ANGLE), "15");
  EXPECT_EQ(TestAccess::Form(*dlg).k, 0.01);
  EXPECT_EQ(TestAccess::Form(*dlg).carry, 97.0);  // a result, not a default
  EXPECT_EQ(Text(IDC_CARRY), "97");
  EXPECT_TRUE(Same(TestAccess::State(*dlg), before));
}

TEST_F(Form, EnterClosesTheDialogThroughOkOnlyWhenTheFormIsValid) {
  Edit(IDC_K)->setFocus();
  Edit(IDC_K)->setText("x");
  QTest::keyClick(Edit(IDC_K), Qt::Key_Return);
  EXPECT_EQ(MessageBoxes::Texts().size(), 1u);
  EXPECT_TRUE(dlg->GetSafeHwnd()->isVisible());
  Edit(IDC_K)->setText("0.01");
  QTest::keyClick(Edit(IDC_K), Qt::Key_Return);
  EXPECT_FALSE(dlg->GetSafeHwnd()->isVisible());
}

TEST_F(Form, MinimisedThePaintDrawsTheIconCentredOnAPaintOfItsOwn) {
  QWidget* w = dlg->GetSafeHwnd();
  dlg->ShowWindow(SW_SHOWMINIMIZED);
  ASSERT_TRUE(dlg->IsIconic());
  const PixelBuffer before = dlg->Surface();
  const HICON icon = dlg->GetIcon(TRUE);
  struct Case {
    CSize client;
    CPoint at;
  };
  for (const Case& c : {Case{{36, 36}, {2, 2}}, Case{{1, 1}, {-15, -15}},
                        Case{{971, 824}, {470, 396}}}) {
    w->setFixedSize(c.client.cx, c.client.cy);
    TestAccess::PaintScreen(*dlg) = PixelBuffer();
    dlg->Invalidate(FALSE);
    TestAccess::Paint(*dlg);
    EXPECT_EQ(TestAccess::PaintScreen(*dlg), IconOnFace(c.client, c.at, icon)) << c.client.cx;
    EXPECT_FALSE(TestAccess::IsPaintPending(*dlg));  // the paint cycle validated
  }
  EXPECT_EQ(dlg->Surface(), before);  // the icon never reaches the drawing
  EXPECT_EQ(TestAccess::OutstandingDCs(*dlg), 0);

  // The 36 × 36 case: the icon's own pixels on the erased background, and that is
  // what the minimised window shows.
  w->setFixedSize(36, 36);
  dlg->Invalidate(FALSE);
  TestAccess::Paint(*dlg);
  const QImage own = icon->pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
  const PixelBuffer& painted = TestAccess::PaintScreen(*dlg);
  const QImage shown = w->grab().toImage();
  EXPECT_EQ(painted.Pixel(0, 0), RGB(240, 240, 240));
  EXPECT_EQ(shown.pixel(0, 0), qRgb(240, 240, 240));
  const QRgb centre = own.pixel(16, 16);
  if (qAlpha(centre) == 255) {
    EXPECT_EQ(painted.Pixel(18, 18), RGB(qRed(centre), qGreen(centre), qBlue(centre)));
    EXPECT_EQ(shown.pixel(18, 18), centre);
  }
  EXPECT_EQ(reinterpret_cast<HICON>(dlg->SendMessage(WM_QUERYDRAGICON)), icon);
}

}  // namespace
}  // namespace vendrel::test
