// One stay of the cursor in a corner. A corner posts its action once per stay: the cursor
// must be seen outside every corner that has an action (or in a corner whose action is
// 0) before any corner fires again. With a delay the cursor must stay that long; leaving
// earlier cancels. A stay entered with a mouse button held, or during which a button goes
// down, is spoilt (the user is dragging). Entering within 750 ms of the last firing
// counts as the same stay, so a cursor trembling on a zone's edge fires once.
#include "triggers/corner_stay.h"

namespace {

bool SameHit(CornerHit a, CornerHit b) { return a.corner == b.corner && a.monitor == b.monitor; }

CornerStep Fire(CornerStay* stay, CornerTick now) {
  stay->dwelling = false;
  stay->spent = true;
  stay->firedBefore = true;
  stay->firedTick = now;
  return kCornerFire;
}

}  // namespace

void ResetCornerStay(CornerStay* stay) {
  stay->at = {kNoCorner, -1};
  stay->spent = false;
  stay->dwelling = false;
  stay->firedBefore = false;
  stay->firedTick = 0;
}

CornerStep MoveCornerStay(CornerStay* stay, CornerHit hit, int action, bool buttonHeld, int delayMs,
                          CornerTick now) {
  bool wasDwelling = stay->dwelling;
  if (hit.corner == kNoCorner || action == 0) {
    stay->at = {kNoCorner, -1};
    stay->spent = false;
    stay->dwelling = false;
    return wasDwelling ? kCornerCancelDwell : kCornerQuiet;
  }
  if (SameHit(hit, stay->at)) return kCornerQuiet;

  // A new corner: entered from outside, or reached straight from another one (the
  // spent mark of that stay carries over).
  bool entering = stay->at.corner == kNoCorner;
  stay->at = hit;
  if (entering && (buttonHeld || (stay->firedBefore && now - stay->firedTick < kCornerFiredPauseMs)))
    stay->spent = true;
  if (stay->spent) {
    stay->dwelling = false;
    return wasDwelling ? kCornerCancelDwell : kCornerQuiet;
  }
  if (CornerDelayMs(delayMs) == 0) return Fire(stay, now);
  stay->dwelling = true;
  return kCornerStartDwell;
}

CornerStep PressCornerButton(CornerStay* stay) {
  if (stay->at.corner == kNoCorner) return kCornerQuiet;
  bool wasDwelling = stay->dwelling;
  stay->spent = true;
  stay->dwelling = false;
  return wasDwelling ? kCornerCancelDwell : kCornerQuiet;
}

// A timer message that outlived its cancel (killing a timer leaves a posted tick in the
// queue) finds no dwell and does nothing.
CornerStep FinishCornerDwell(CornerStay* stay, CornerTick now) {
  if (!stay->dwelling || stay->at.corner == kNoCorner || stay->spent) return kCornerQuiet;
  return Fire(stay, now);
}

void ResumeCornerStay(CornerStay* stay, CornerHit hit, int action) {
  ResetCornerStay(stay);
  if (hit.corner == kNoCorner || action == 0) return;
  stay->at = hit;
  stay->spent = true;
}

int CornerDelayMs(int setting) {
  if (setting < 0) return 0;
  return setting > kMaxCornerDelayMs ? kMaxCornerDelayMs : setting;
}
