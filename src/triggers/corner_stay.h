// The rules of one stay of the cursor in a screen corner: dwell, cancel, once per stay.
// Portable; the corner watcher feeds it the cursor's corners and carries out its steps.
#pragma once

#include <cstdint>

#include "triggers/corner_geometry.h"

// The system's millisecond tick count: 32 bits, wrapping every 49.7 days. Differences of
// two ticks are right across the wrap; sums are not.
using CornerTick = std::uint32_t;

constexpr int kMaxCornerDelayMs = 10000;
constexpr CornerTick kCornerFiredPauseMs = 750;

// What the watcher does next.
enum CornerStep {
  kCornerQuiet,        // nothing
  kCornerStartDwell,   // (re)start the dwell timer for the delay
  kCornerCancelDwell,  // stop the dwell timer
  kCornerFire,         // post the action of stay.at now (after its own last checks)
};

struct CornerStay {
  CornerHit at;  // the corner with an action the cursor is in, or kNoCorner
  bool spent;    // this stay has fired, or a mouse button spoilt it
  bool dwelling;
  bool firedBefore;
  CornerTick firedTick;
};

void ResetCornerStay(CornerStay* stay);
// The cursor is seen at `hit`, whose action is `action` (0: none). `buttonHeld` is
// looked at only when a corner is entered.
CornerStep MoveCornerStay(CornerStay* stay, CornerHit hit, int action, bool buttonHeld, int delayMs,
                          CornerTick now);
// A mouse button went down.
CornerStep PressCornerButton(CornerStay* stay);
// The dwell timer ran out.
CornerStep FinishCornerDwell(CornerStay* stay, CornerTick now);
// The cursor is found in `hit` after a time nobody watched (unlocking, monitors on):
// that stay counts as spent, so coming back never fires a corner by itself.
void ResumeCornerStay(CornerStay* stay, CornerHit hit, int action);
// The setting in milliseconds, kept within 0..kMaxCornerDelayMs.
int CornerDelayMs(int setting);
