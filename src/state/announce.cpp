// Announcements of change. On the main window's thread (or before there is a main window)
// the installed handler applies them at once, so a caller sees the tray as it was left;
// from any other thread they gather in one word of pending bits, and only the announcement
// that finds the word empty posts kChangesAnnouncedMessage: one message however many follow.
#include "state/announce.h"

#include <atomic>

#include "state/app_state.h"
#include "state/commands.h"

namespace {

std::atomic<unsigned> pending{0};
std::atomic<ChangeHandler> handler{nullptr};

bool OnMainThread(HWND window) {
  return !window || GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

}  // namespace

ChangeHandler SetChangeHandler(ChangeHandler apply) { return handler.exchange(apply); }

unsigned TakeAnnouncedChanges() { return pending.exchange(0); }

void AnnounceChange(unsigned kinds) {
  if (kinds == 0) return;
  HWND window = AppState.mainWindow;
  ChangeHandler apply = handler;
  if (apply && OnMainThread(window)) {
    apply(TakeAnnouncedChanges() | kinds);
    return;
  }
  if (pending.fetch_or(kinds) != 0 || !window) return;  // the message is on its way already
  // A window that is gone takes no message: drop the bits, or no later one would be posted.
  if (!PostMessageA(window, kChangesAnnouncedMessage, 0, 0)) pending = 0;
}
