#include "triggers/corner_stay.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

enum EventKind { kMove, kPress, kDwellEnds, kResume };

struct Event {
  EventKind kind;
  ScreenCorner corner;  // where the cursor is (kMove, kResume)
  int action;           // that corner's action
  bool button;          // a button is held (kMove)
  int delay;            // the dwell setting (kMove)
  unsigned long time;
  CornerStep expected;
};

struct Scenario {
  const char* what;
  std::vector<Event> events;
};

constexpr ScreenCorner TL = kTopLeftCorner;
constexpr ScreenCorner TR = kTopRightCorner;
constexpr ScreenCorner BL = kBottomLeftCorner;
constexpr ScreenCorner None = kNoCorner;
constexpr int kRun = 40006;

Event Move(ScreenCorner corner, int delay, unsigned long time, CornerStep expected, int action = kRun,
           bool button = false) {
  return {kMove, corner, corner == None ? 0 : action, button, delay, time, expected};
}
Event Press(CornerStep expected) { return {kPress, None, 0, false, 0, 0, expected}; }
Event DwellEnds(unsigned long time, CornerStep expected) { return {kDwellEnds, None, 0, false, 0, time, expected}; }
Event Resume(ScreenCorner corner) { return {kResume, corner, kRun, false, 0, 0, kCornerQuiet}; }

const Scenario kScenarios[] = {
    {"a stay as long as the delay fires once",
     {Move(TL, 500, 0, kCornerStartDwell), Move(TL, 500, 200, kCornerQuiet), DwellEnds(500, kCornerFire),
      Move(TL, 500, 900, kCornerQuiet), DwellEnds(1000, kCornerQuiet)}},
    {"leaving before the delay cancels, and a late timer tick does nothing",
     {Move(TL, 500, 0, kCornerStartDwell), Move(None, 500, 300, kCornerCancelDwell), DwellEnds(500, kCornerQuiet)}},
    {"without a delay the corner fires on entry, once per stay",
     {Move(TL, 0, 0, kCornerFire), Move(TL, 0, 100, kCornerQuiet), Move(None, 0, 2000, kCornerQuiet),
      Move(TL, 0, 2100, kCornerFire)}},
    {"coming back within 750 ms of firing is the same stay",
     {Move(TL, 0, 0, kCornerFire), Move(None, 0, 100, kCornerQuiet), Move(TL, 0, 300, kCornerQuiet),
      Move(None, 0, 400, kCornerQuiet), Move(TL, 0, 1000, kCornerFire)}},
    {"a corner entered with a button held never fires during that stay",
     {Move(TL, 0, 0, kCornerQuiet, kRun, true), Move(TL, 0, 5000, kCornerQuiet), Move(None, 0, 5100, kCornerQuiet),
      Move(TL, 0, 5200, kCornerFire)}},
    {"a button pressed during the dwell spoils the stay",
     {Move(TL, 300, 0, kCornerStartDwell), Press(kCornerCancelDwell), DwellEnds(300, kCornerQuiet),
      Move(None, 300, 400, kCornerQuiet), Press(kCornerQuiet), Move(TL, 300, 2000, kCornerStartDwell)}},
    {"a corner whose action is 0 counts as outside",
     {Move(TL, 0, 0, kCornerFire), Move(BL, 0, 1000, kCornerQuiet, 0), Move(TL, 0, 2000, kCornerFire)}},
    {"going straight to another corner keeps the stay spent",
     {Move(TL, 0, 0, kCornerFire), Move(TR, 0, 2000, kCornerQuiet)}},
    {"going straight to another corner restarts the dwell",
     {Move(TL, 500, 0, kCornerStartDwell), Move(TR, 500, 100, kCornerStartDwell), DwellEnds(600, kCornerFire)}},
    {"after unlocking, the corner the cursor sits in does not fire by itself",
     {Resume(TL), Move(TL, 0, 100, kCornerQuiet), Move(None, 0, 200, kCornerQuiet), Move(TL, 0, 300, kCornerFire)}},
    {"a delay outside the range is kept to it",
     {Move(TL, -40, 0, kCornerFire), Move(None, 0, 1000, kCornerQuiet), Move(TL, 99999, 2000, kCornerStartDwell)}},
};

}  // namespace

TEST(CornerStay, FollowsTheDwellCancelAndOncePerStayRules) {
  for (const Scenario& scenario : kScenarios) {
    CornerStay stay;
    ResetCornerStay(&stay);
    int step = 0;
    for (const Event& event : scenario.events) {
      CornerHit hit = {event.corner, event.corner == None ? -1 : 0};
      CornerStep result = kCornerQuiet;
      switch (event.kind) {
        case kMove:
          result = MoveCornerStay(&stay, hit, event.action, event.button, event.delay, event.time);
          break;
        case kPress:
          result = PressCornerButton(&stay);
          break;
        case kDwellEnds:
          result = FinishCornerDwell(&stay, event.time);
          break;
        case kResume:
          ResumeCornerStay(&stay, hit, event.action);
          break;
      }
      EXPECT_EQ(result, event.expected) << scenario.what << ", event " << step;
      step++;
    }
  }
}

TEST(CornerStay, FiringRemembersTheCornerItFiredFor) {
  CornerStay stay;
  ResetCornerStay(&stay);
  ASSERT_EQ(MoveCornerStay(&stay, {kBottomRightCorner, 2}, kRun, false, 0, 10), kCornerFire);
  EXPECT_EQ(stay.at.corner, kBottomRightCorner);
  EXPECT_EQ(stay.at.monitor, 2);
}

TEST(CornerDelayMs, KeepsTheSettingWithinRange) {
  EXPECT_EQ(CornerDelayMs(-1), 0);
  EXPECT_EQ(CornerDelayMs(500), 500);
  EXPECT_EQ(CornerDelayMs(kMaxCornerDelayMs + 1), kMaxCornerDelayMs);
}
