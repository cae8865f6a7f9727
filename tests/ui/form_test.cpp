// The parameter form: layout, defaults, the commits on leaving a box, refusals.
#include <QLabel>
#include <cmath>

#include "flight/form_fields.h"
#include "flight/launch_trig.h"
#include "tests/ui/dialog_fixture.h"

namespace vendrel::test {
namespace {

using Form = DialogTest;

TEST_F(Form, ControlsStandWhereTheTemplateTimesOneAndAHalfPutsThem) {
  const DialogTemplate* t = AfxFindDialogTemplate(IDD_VENDREL_DIALOG);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(dlg->GetSafeHwnd()->size(), QSize(971, 824));
  EXPECT_EQ(dlg->GetSafeHwnd()->windowTitle(), QString("Vendrel"));
  int checked = 0;
  for (const DialogControl& c : t->controls) {
    if (c.id == IDC_STATIC) continue;
    QWidget* w = dlg->GetDlgItem(c.id);
    ASSERT_NE(w, nullptr) << c.id;
    const QRect expected(static_cast<int>(std::round(c.x * 1.5 + 1e-9)),
                         static_cast<int>(std::round(c.y * 1.5 + 1e-9)),
                         static_cast<int>(std::round(c.cx * 1.5 + 1e-9)),
                         static_cast<int>(std::round(c.cy * 1.5 + 1e-9)));
    EXPECT_EQ(w->geometry(), expected) << c.id;
    ++checked;
  }
  EXPECT_EQ(checked, 14);
  EXPECT_EQ(Button(IDC_CALCULATE)->geometry(), QRect(615, 426, 294, 56));
  // The column of controls starts right of the drawing area's 600 px axes.
  EXPECT_GT(Button(IDC_DEFAULT)->x(), 600);
  EXPECT_FALSE(Edit(IDC_GRAVITY)->isVisible());
  EXPECT_FALSE(Edit(IDC_GRAVITY)->isEnabled());
  EXPECT_FALSE(Button(IDC_CLEAR_VIEW)->isVisible());
  EXPECT_FALSE(Button(IDC_CLEAR_VIEW)->isEnabled());
  EXPECT_TRUE(Edit(IDC_CARRY)->isReadOnly());
  int visibleLabels = 0;
  for (QLabel* label : dlg->GetSafeHwnd()->findChildren<QLabel*>()) visibleLabels += label->isVisible();
  EXPECT_EQ(visibleLabels, 10);
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
  EXPECT_EQ(dlg->Form().launchSpeed, 60.0);
  EXPECT_EQ(dlg->State().mass, 0.0);
  EXPECT_NE(dlg->DrawMode(), kDrawModeRunStarted);
}

TEST_F(Form, LeavingABoxCommitsExactlyItsField) {
  const FlightState before = dlg->State();
  Enter(IDC_LAUNCH_ANGLE, "45");
  const double r = 45.0 / 360.0 * 6.283185307179586;
  FlightState expected = before;
  expected.launchVel[1] = LaunchCos(r) * 60.0;
  expected.launchVel[2] = 0.0;
  expected.launchVel[3] = LaunchSin(r) * 60.0;
  EXPECT_TRUE(Same(dlg->State(), expected));
  EXPECT_TRUE(ShownMessages().empty());

  struct Case {
    int id;
    const char* text;
    double FlightState::*member;
    double value;
  };
  for (const Case& c : {Case{IDC_BALL_MASS, "45.5", &FlightState::mass, 45.5},
                        Case{IDC_K, "0.5", &FlightState::liftCoef, 0.5},
                        Case{IDC_SIDE_SPIN, "-1500", &FlightState::sideSpin, -1500.0},
                        Case{IDC_BACK_SPIN, "3000", &FlightState::backSpin, 3000.0},
                        Case{IDC_K_PRIME, "0.03", &FlightState::dragCoef, 0.03},
                        Case{IDC_TIME_STEP, "0.002", &FlightState::dt, 0.002}}) {
    FlightState want = dlg->State();
    want.*c.member = c.value;
    Enter(c.id, c.text);
    EXPECT_TRUE(Same(dlg->State(), want)) << c.text;
  }
  EXPECT_EQ(dlg->State().gravity, 0.0);  // only a run copies the gravity
}

TEST_F(Form, ARefusedEntryShowsOneMessageAndLeavesTheFlightAlone) {
  // Committed first, so that leaving the boxes below with their old texts changes nothing.
  Enter(IDC_LAUNCH_ANGLE, "15");
  Enter(IDC_TIME_STEP, "0.005");
  const FlightState before = dlg->State();
  const FlightForm formBefore = dlg->Form();
  struct Case {
    int id;
    const char* text;
    std::string message;
  };
  const FormField& dt = FormFieldFor(&FlightForm::timeStep);
  for (const Case& c : {Case{IDC_LAUNCH_ANGLE, "abc", AfxNumberExpectedText()},
                        Case{IDC_LAUNCH_ANGLE, "nan", AfxNumberExpectedText()},
                        Case{IDC_LAUNCH_ANGLE, "1e999", AfxNumberExpectedText()},
                        Case{IDC_LAUNCH_ANGLE, "91", AfxRangeText(0, 90)},
                        Case{IDC_TIME_STEP, "0.2", AfxRangeText(dt.min, dt.max)},
                        Case{IDC_BALL_MASS, "", AfxNumberExpectedText()}}) {
    ShownMessages().clear();
    const QString original = Text(c.id);
    Enter(c.id, c.text);
    ASSERT_EQ(ShownMessages().size(), 1u) << c.text;
    EXPECT_EQ(ShownMessages()[0], c.message);
    EXPECT_TRUE(Same(dlg->State(), before)) << c.text;
    EXPECT_TRUE(Same(dlg->Form(), formBefore)) << c.text;
    EXPECT_EQ(QApplication::focusWidget(), Edit(c.id)) << c.text;
    EXPECT_EQ(Edit(c.id)->selectedText(), QString::fromUtf8(c.text));
    Edit(c.id)->setText(original);
  }
  EXPECT_EQ(dlg->State().dt, 0.005);
}

TEST_F(Form, AFailedExchangeTakesTheFieldsBeforeTheRefusedOneOnly) {
  // Exchange order: mass, gravity, K, side spin, back spin, K', angle, speed, step.
  Edit(IDC_BALL_MASS)->setText("50");
  Edit(IDC_K)->setText("0.02");
  Edit(IDC_SIDE_SPIN)->setText("1e6");  // beyond 100000
  Edit(IDC_BACK_SPIN)->setText("2500");
  Enter(IDC_K_PRIME, "0.05");
  EXPECT_EQ(ShownMessages().size(), 1u);
  EXPECT_EQ(dlg->Form().ballMass, 50.0);
  EXPECT_EQ(dlg->Form().k, 0.02);
  EXPECT_EQ(dlg->Form().sideSpin, 0.0);
  EXPECT_EQ(dlg->Form().backSpin, 2000.0);
  EXPECT_EQ(dlg->Form().kPrime, 0.02);
  EXPECT_EQ(dlg->State().dragCoef, 0.0);  // the commit of K' copied nothing
  // The focus went to the refused box, not the one left.
  EXPECT_EQ(QApplication::focusWidget(), Edit(IDC_SIDE_SPIN));
}

TEST_F(Form, BoundsAreAllowedAndFullWidthDigitsRead) {
  Enter(IDC_TIME_STEP, "0.00001");
  EXPECT_EQ(dlg->State().dt, 0.00001);
  Enter(IDC_TIME_STEP, "0.1");
  EXPECT_EQ(dlg->State().dt, 0.1);
  Enter(IDC_LAUNCH_SPEED, "６０");
  EXPECT_EQ(dlg->Form().launchSpeed, 60.0);
  Enter(IDC_LAUNCH_ANGLE, "９０");
  EXPECT_EQ(dlg->Form().launchAngle, 90.0);
  EXPECT_GT(dlg->State().launchVel[1], 0.0);  // cos of the double nearest π/2
  EXPECT_TRUE(ShownMessages().empty());
}

TEST_F(Form, DefaultRestoresTheBoxesAndTheFormOnly) {
  Enter(IDC_K, "0.5");
  Enter(IDC_LAUNCH_ANGLE, "30");
  dlg->Form().carry = 183.0;
  const FlightState before = dlg->State();
  Button(IDC_DEFAULT)->click();
  EXPECT_EQ(Text(IDC_K), "0.01");
  EXPECT_EQ(Text(IDC_LAUNCH_ANGLE), "15");
  EXPECT_EQ(dlg->Form().k, 0.01);
  EXPECT_EQ(dlg->Form().carry, 183.0);  // a result, not a default
  EXPECT_EQ(Text(IDC_CARRY), "183");
  EXPECT_TRUE(Same(dlg->State(), before));
}

TEST_F(Form, EnterClosesTheDialogThroughOkOnlyWhenTheFormIsValid) {
  Edit(IDC_K)->setFocus();
  Edit(IDC_K)->setText("x");
  QTest::keyClick(Edit(IDC_K), Qt::Key_Return);
  EXPECT_EQ(ShownMessages().size(), 1u);
  EXPECT_TRUE(dlg->GetSafeHwnd()->isVisible());
  Edit(IDC_K)->setText("0.01");
  QTest::keyClick(Edit(IDC_K), Qt::Key_Return);
  EXPECT_FALSE(dlg->GetSafeHwnd()->isVisible());
}

TEST_F(Form, MinimisedThePaintDrawsTheIconCentredOnAPaintOfItsOwn) {
  dlg->SimulateIconic(true);
  const PixelBuffer before = dlg->Surface();
  struct Case {
    CSize client;
    CPoint at;
  };
  for (const Case& c : {Case{{36, 36}, {2, 2}}, Case{{0, 0}, {-15, -15}},
                        Case{{971, 824}, {470, 396}}}) {
    dlg->SimulateClientSize(c.client);
    dlg->Invalidate(FALSE);
    dlg->DispatchPaint();
    EXPECT_EQ(dlg->LastPaintRecord().lastIconAt, c.at);
    EXPECT_FALSE(dlg->IsPaintPending());  // the paint cycle validated
  }
  EXPECT_EQ(dlg->LastPaintRecord().icons, 3);
  EXPECT_EQ(dlg->Surface(), before);  // the icon never reaches the drawing
  EXPECT_EQ(dlg->OutstandingDCs(), 0);
  // The 36 × 36 case: the icon's own pixels, on the erased background.
  dlg->SimulateClientSize(CSize{36, 36});
  dlg->Invalidate(FALSE);
  dlg->DispatchPaint();
  const QImage icon = dlg->Icon()->pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
  const PixelBuffer& painted = dlg->LastPaintRecord().lastImage;
  EXPECT_EQ(painted.Pixel(0, 0), RGB(240, 240, 240));
  const QRgb centre = icon.pixel(16, 16);
  if (qAlpha(centre) == 255) {
    EXPECT_EQ(painted.Pixel(18, 18), RGB(qRed(centre), qGreen(centre), qBlue(centre)));
  }
  EXPECT_EQ(reinterpret_cast<HICON>(dlg->SendMessage(WM_QUERYDRAGICON)), dlg->Icon());
}

}  // namespace
}  // namespace vendrel::test
