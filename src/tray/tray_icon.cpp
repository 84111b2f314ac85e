// The tray icon. One NOTIFYICONDATAA record keeps what was last sent, so repeated
// refreshes with the same state cost no shell call; a tooltip change in letter case
// only is not sent either. The record, the saver list it names and the images it shows
// are the main thread's alone, so nothing here takes a lock. Subsystems never call in:
// they announce a change (state/announce.h) and ApplyAnnouncedChanges refreshes.
#include "tray/tray_icon.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "catalog/saver_info.h"
#include "holdoff/holdoff_state.h"
#include "log/log.h"
#include "shell/duration.h"
#include "shell/entry_points.h"
#include "shell/text_helpers.h"
#include "state/announce.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "system/system_saver_settings.h"
#include "tray/tray_images.h"

namespace {

constexpr int kTooltipLimit = 63;  // 62 bytes and the terminator, cut between characters

NOTIFYICONDATAA record;

}  // namespace

void ResetTrayIconRecord() {
  memset(&record, 0, sizeof(record));
}

int SetTrayIcon(HWND window, DWORD message, const char* tooltip, HICON icon) {
  if (!window) return 0;
  if (message == NIM_DELETE || message == NIM_SETFOCUS) return ShellNotifyIconEntry(message, &record);
  record.uFlags = 0;
  // Compared as it would be stored: a tooltip cut to 62 characters is not sent again
  // on every refresh just because its full text is longer than the stored one.
  char candidate[kTooltipLimit];
  if (tooltip) CopyText(candidate, tooltip, kTooltipLimit);
  if (tooltip && lstrcmpiA(candidate, record.szTip) != 0) {
    CopyText(record.szTip, candidate, kTooltipLimit);
    record.uFlags |= NIF_TIP;
  }
  if (icon && icon != record.hIcon) {
    record.hIcon = icon;
    record.uFlags |= NIF_ICON;
  }
  if (message == NIM_ADD) {
    record.cbSize = sizeof(NOTIFYICONDATAA);
    record.hWnd = window;
    record.uID = 1;
    record.uCallbackMessage = kTrayCallbackMessage;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    if (!ShellNotifyIconEntry(NIM_ADD, &record)) return 0;
  }
  if (record.uFlags != 0) return ShellNotifyIconEntry(NIM_MODIFY, &record);
  return 1;
}

// "Dozelite (saver name)", or the product name alone.
static void CurrentSaverTooltip(char* tooltip, size_t size) {
  const SaverInfo* current = FindCurrentSaver();
  if (current && current->displayName && strlen(current->displayName) + strlen(kProductName) + 4 < 64)
    snprintf(tooltip, size, "%s (%s)", kProductName, current->displayName);
  else
    lstrcpynA(tooltip, kProductName, 64);
}

// Main thread only: workers announce or post to the main window instead.
int UpdateTrayIcon(DWORD type) {
  char tooltip[256];
  int disableSeconds = AppState.disableSeconds;
  if (disableSeconds > 0) {
    // Counted with wrap-safe tick differences; an overdue period shows no time left
    // instead of a wrapped-around one.
    DWORD period = static_cast<DWORD>(disableSeconds) * 1000u;
    DWORD elapsed = GetTickCount() - AppState.disableStartTick;
    DWORD left = elapsed < period ? period - elapsed : 0;
    char duration[64];
    FormatDuration(duration, sizeof(duration), left);
    snprintf(tooltip, sizeof(tooltip), "%s (Disabled - %s Left)", kProductName, duration);
  } else {
    CurrentSaverTooltip(tooltip, sizeof(tooltip));
  }
  // While held off the tooltip says why on a line of its own (cut with the rest).
  char reason[96];
  bool held = GetHoldOffReason(reason, sizeof(reason));
  if (held) {
    AppendText(tooltip, "\nHeld off: ", sizeof(tooltip));
    AppendText(tooltip, reason, sizeof(tooltip));
  }
  int animationFrame = AppState.animationFrame;
  int frame = (animationFrame + kAnimationFrames) % kAnimationFrames;
  HICON icon = (disableSeconds > 0 || held) && animationFrame == 0 ? GetTrayDisabledIcon()
                                                                   : GetTrayFrameIcon(frame, !AppState.saverActive);
  int result = SetTrayIcon(AppState.mainWindow, type, tooltip, icon);
  if (!result) LogMessage(kLogLogOnly, "UpdateTrayIcon failed on type %d", static_cast<int>(type));
  return result;
}

// Every kind of change shows in the icon or the tooltip; the kept menu's parts compare
// their own keys when it next opens.
void ApplyAnnouncedChanges(unsigned kinds) {
  if (kinds) UpdateTrayIcon(NIM_MODIFY);
}

// Installed before anything runs, in every program that links the tray icon: an
// announcement made on the main thread is applied before its caller goes on.
static const bool installed = (SetChangeHandler(ApplyAnnouncedChanges), true);
