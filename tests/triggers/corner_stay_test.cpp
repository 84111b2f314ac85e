#include "triggers/corner_stay.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// One event of a scenario: the cursor seen in a corner (kMove, action 0 for a corner
// without one), a button press, or the dwell timer running out.
enum Kind { kMove, kPress, kDwellEnds };
struct Event {
  Kind kind;
  ScreenCorner corner;
  int delay;
  CornerTick time;
  CornerStep expected;
  int action = 40006;
  bool button = false;
};

constexpr ScreenCorner TL = kTopLeftCorner, TR = kTopRightCorner, BL = kBottomLeftCorner, Out = kNoCorner;
constexpr CornerStep Quiet = kCornerQuiet, Start = kCornerStartDwell, Cancel = kCornerCancelDwell, Fire = kCornerFire;

// 256 ms before the 32-bit tick count wraps to 0 (the sums below wrap as the system's do).
constexpr CornerTick kBeforeWrap = 0xFFFFFF00u;

struct Scenario {
  const char* what;
  std::vector<Event> events;
};

const Scenario kScenarios[] = {
    {"a stay as long as the delay fires once; leaving earlier cancels; late timer ticks do nothing",
     {{kMove, TL, 500, 0, Start}, {kMove, Out, 500, 300, Cancel}, {kDwellEnds, Out, 0, 500, Quiet},
      {kMove, TL, 500, 1000, Start}, {kDwellEnds, Out, 0, 1500, Fire}, {kDwellEnds, Out, 0, 1600, Quiet}}},
    {"without a delay a corner fires on entry, once per stay",
     {{kMove, TL, 0, 0, Fire}, {kMove, TL, 0, 100, Quiet}, {kMove, Out, 0, 2000, Quiet}, {kMove, TL, 0, 2100, Fire}}},
    {"coming back within 750 ms of firing is the same stay",
     {{kMove, TL, 0, 0, Fire}, {kMove, Out, 0, 100, Quiet}, {kMove, TL, 0, 300, Quiet}, {kMove, Out, 0, 400, Quiet},
      {kMove, TL, 0, 1000, Fire}}},
    {"entered with a button held: that stay never fires",
     {{kMove, TL, 0, 0, Quiet, 40006, true}, {kMove, TL, 0, 5000, Quiet}, {kMove, Out, 0, 5100, Quiet},
      {kMove, TL, 0, 5200, Fire}}},
    {"a button pressed during the dwell spoils the stay, outside it nothing",
     {{kMove, TL, 300, 0, Start}, {kPress, Out, 0, 0, Cancel}, {kDwellEnds, Out, 0, 300, Quiet},
      {kMove, Out, 300, 400, Quiet}, {kPress, Out, 0, 0, Quiet}, {kMove, TL, 300, 2000, Start}}},
    {"a corner whose action is 0 counts as outside",
     {{kMove, TL, 0, 0, Fire}, {kMove, BL, 0, 1000, Quiet, 0}, {kMove, TL, 0, 2000, Fire}}},
    {"straight to another corner: a spent stay stays spent, a dwell restarts",
     {{kMove, TL, 0, 0, Fire}, {kMove, TR, 0, 2000, Quiet}, {kMove, Out, 0, 2100, Quiet},
      {kMove, TL, 500, 3000, Start}, {kMove, TR, 500, 3100, Start}, {kDwellEnds, Out, 0, 3600, Fire}}},
    {"across the tick count's wrap: back within 750 ms is the same stay, after it a new one",
     {{kMove, TL, 0, kBeforeWrap, Fire}, {kMove, Out, 0, kBeforeWrap + 100, Quiet},
      {kMove, TL, 0, kBeforeWrap + 200, Quiet}, {kMove, Out, 0, kBeforeWrap + 300, Quiet},
      {kMove, TL, 0, kBeforeWrap + 500, Quiet}, {kMove, Out, 0, kBeforeWrap + 600, Quiet},
      {kMove, TL, 0, kBeforeWrap + 1000, Fire}}},
    {"a delay outside the range is kept to it",
     {{kMove, TL, -40, 0, Fire}, {kMove, Out, 0, 1000, Quiet}, {kMove, TL, 99999, 2000, Start}}},
};

}  // namespace

TEST(CornerStay, FollowsTheDwellCancelAndOncePerStayRules) {
  for (const Scenario& scenario : kScenarios) {
    CornerStay stay;
    ResetCornerStay(&stay);
    for (size_t i = 0; i < scenario.events.size(); i++) {
      const Event& event = scenario.events[i];
      CornerHit hit = {event.corner, event.corner == Out ? -1 : 0};
      CornerStep result = Quiet;
      if (event.kind == kMove)
        result = MoveCornerStay(&stay, hit, event.action, event.button, event.delay, event.time);
      else if (event.kind == kPress)
        result = PressCornerButton(&stay);
      else
        result = FinishCornerDwell(&stay, event.time);
      EXPECT_EQ(result, event.expected) << scenario.what << ", event " << i;
    }
  }
}
