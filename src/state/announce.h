// Announcements of change: a subsystem that changed something the tray shows says so here
// and never calls the tray. The main window's thread applies them at once; any other thread
// leaves them pending behind one posted message.
#pragma once

#include <windows.h>

// What changed, as bits: several announcements before the main window looks are one.
enum ChangeKind : unsigned {
  kChangedSaverSettings = 1u << 0,  // the mirrored system settings: on, password, timeout, disable period
  kChangedCurrentSaver = 1u << 1,   // the system's current saver
  kChangedSaverList = 1u << 2,      // the catalog's list was replaced
  kChangedHoldOff = 1u << 3,        // a hold-off started or ended
};

void AnnounceChange(unsigned kinds);
// The pending kinds, emptied: the main window's answer to kChangesAnnouncedMessage.
unsigned TakeAnnouncedChanges();

// Who applies announcements (the tray installs itself; none: they stay pending).
using ChangeHandler = void (*)(unsigned kinds);
ChangeHandler SetChangeHandler(ChangeHandler handler);  // returns the one it replaces
