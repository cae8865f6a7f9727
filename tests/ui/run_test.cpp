// Runs from the calculate button through the real timer: landing, STOP, restart.
#include "flight/parameters.h"
#include "flight/windowless_run.h"
#include "tests/support/default_flight.h"
#include "tests/ui/dialog_fixture.h"

namespace vendrel::test {
namespace {

using Runs = DialogTest;

// The window flies the flight model's own flight, bit for bit, and shows its carry.
TEST_F(Runs, ADefaultFlightLandsAndTheCarryBoxShows183) {
  Button(IDC_CALCULATE)->click();
  EXPECT_EQ(TestAccess::DrawMode(*dlg), kDrawModeRunStarted);
  EXPECT_TRUE(Running());
  EXPECT_EQ(TestAccess::State(*dlg).gravity, 9.8);
  ASSERT_TRUE(WaitUntil([&] { return !Running(); }));
  EXPECT_TRUE(Same(TestAccess::State(*dlg), DefaultFlight().state));
  EXPECT_EQ(TestAccess::Form(*dlg).carry, DefaultFlight().carry);
  EXPECT_EQ(Text(IDC_CARRY), "183");
  EXPECT_TRUE(MessageBoxes::Texts().empty());
}

TEST_F(Runs, WhatIsBeingTypedSurvivesTheLanding) {
  Enter(IDC_LAUNCH_SPEED, "30");  // a short flight
  Button(IDC_CALCULATE)->click();
  Edit(IDC_LAUNCH_ANGLE)->setFocus();
  Edit(IDC_LAUNCH_ANGLE)->setText("4");  // still typing: not committed
  ASSERT_TRUE(WaitUntil([&] { return !Running(); }));
  EXPECT_EQ(Text(IDC_LAUNCH_ANGLE), "4");
  EXPECT_NE(Text(IDC_CARRY), "0");
  EXPECT_EQ(TestAccess::Form(*dlg).launchAngle, 15.0);
}

TEST_F(Runs, StopEndsTheRunAndCalculateStartsAgainFromTheOrigin) {
  Button(IDC_STOP)->click();  // no run: nothing happens
  EXPECT_FALSE(Running());
  Button(IDC_CALCULATE)->click();
  ASSERT_TRUE(WaitUntil([&] { return TestAccess::State(*dlg).pos[1] > 20.0; }));
  Button(IDC_STOP)->click();
  EXPECT_FALSE(Running());
  const FlightState stopped = TestAccess::State(*dlg);
  QTest::qWait(20);
  EXPECT_TRUE(Same(TestAccess::State(*dlg), stopped));
  EXPECT_EQ(Text(IDC_CARRY), "0");

  Button(IDC_CALCULATE)->click();
  EXPECT_EQ(TestAccess::State(*dlg).pos[1], 0.0);
  EXPECT_EQ(TestAccess::State(*dlg).firstTick, 1);
  EXPECT_TRUE(Running());
}

TEST_F(Runs, CalculateDuringARunRestartsItWithOneTimer) {
  Button(IDC_CALCULATE)->click();
  ASSERT_TRUE(WaitUntil([&] { return TestAccess::State(*dlg).pos[1] > 10.0; }));
  Enter(IDC_SIDE_SPIN, "1500");
  Button(IDC_CALCULATE)->click();
  EXPECT_EQ(TestAccess::State(*dlg).pos[1], 0.0);
  EXPECT_EQ(TestAccess::State(*dlg).firstTick, 1);
  EXPECT_EQ(TestAccess::RunningTimerCount(*dlg), 1);
  ASSERT_TRUE(WaitUntil([&] { return !Running(); }));
  // The restart flew the whole flight of the new form, nothing of the one before.
  FlightForm spin = DefaultForm();
  spin.sideSpin = 1500;
  const FlightOutcome expected = RunFlight(spin, 1000000);
  EXPECT_TRUE(Same(TestAccess::State(*dlg), expected.state));
  EXPECT_EQ(TestAccess::Form(*dlg).carry, expected.carry);
}

TEST_F(Runs, ARefusedFormStartsNoRunAndStopsNone) {
  Edit(IDC_K)->setText("abc");
  Button(IDC_CALCULATE)->click();
  EXPECT_EQ(MessageBoxes::Texts().size(), 1u);
  EXPECT_FALSE(Running());
  EXPECT_NE(TestAccess::DrawMode(*dlg), kDrawModeRunStarted);
  EXPECT_EQ(TestAccess::State(*dlg).mass, 0.0);

  Edit(IDC_K)->setText("0.01");
  Button(IDC_CALCULATE)->click();
  ASSERT_TRUE(WaitUntil([&] { return TestAccess::State(*dlg).pos[1] > 10.0; }));
  Edit(IDC_K)->setText("abc");
  Button(IDC_CALCULATE)->click();  // refused: the run in progress goes on
  EXPECT_EQ(MessageBoxes::Texts().size(), 2u);
  EXPECT_TRUE(Running());
  EXPECT_GT(TestAccess::State(*dlg).pos[1], 10.0);
}

TEST_F(Runs, AClickOnCalculateThatLeavesARefusedBoxGivesOneMessage) {
  Edit(IDC_K)->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), Edit(IDC_K));
  Edit(IDC_K)->setText("abc");
  QTest::mouseClick(Button(IDC_CALCULATE), Qt::LeftButton);
  EXPECT_EQ(MessageBoxes::Texts().size(), 1u);
  EXPECT_FALSE(Running());
  EXPECT_EQ(QApplication::focusWidget(), Edit(IDC_K));
  EXPECT_EQ(Edit(IDC_K)->selectedText(), QString("abc"));
  QTest::keyClicks(Edit(IDC_K), "0.01");  // typing replaces the refused text
  EXPECT_EQ(Text(IDC_K), "0.01");

  QTest::mouseClick(Button(IDC_CALCULATE), Qt::LeftButton);
  EXPECT_EQ(MessageBoxes::Texts().size(), 1u);
  EXPECT_TRUE(Running());
}

TEST_F(Runs, ClosingTheDialogDuringARunEndsItsTimer) {
  Button(IDC_CALCULATE)->click();
  ASSERT_TRUE(WaitUntil([&] { return TestAccess::State(*dlg).pos[1] > 5.0; }));
  dlg->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(dlg->GetSafeHwnd()->isVisible());
  dlg->DestroyWindow();
  const FlightState closed = TestAccess::State(*dlg);
  QTest::qWait(20);
  EXPECT_TRUE(Same(TestAccess::State(*dlg), closed));
  EXPECT_EQ(TestAccess::RunningTimerCount(*dlg), 0);
}

}  // namespace
}  // namespace vendrel::test
