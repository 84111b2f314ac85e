// The tray icon. One NOTIFYICONDATAA record keeps what was last sent, so repeated
// refreshes with the same state cost no shell call; a tooltip change in letter case
// only is not sent either. The record, the saver list it names and the images it shows
// are the main thread's alone, so nothing here takes a lock. Subsystems never call in:
// they announce a change (state/announce.h) and ApplyAnnouncedChanges refreshes.
//
// After each add the icon asks for version 4 of the callback, which brings the keyboard's
// events (select, context menu) with the icon's place; a shell that refuses it keeps
// sending the older mouse-only form, which the window procedure still understands. Under
// version 4 the standard tooltip shows only when every call asks for it (NIF_SHOWTIP).
#include "tray/tray_icon.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "catalog/saver_info.h"
#include "holdoff/holdoff_state.h"
#include "language/duration_text.h"
#include "language/text.h"
#include "log/log.h"
#include "shell/entry_points.h"
#include "shell/text_helpers.h"
#include "state/announce.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "system/system_saver_settings.h"
#include "tray/tray_images.h"

namespace {

// The whole szTip: 127 bytes and the terminator, cut between characters. The tooltip has
// up to three lines: the saver or the time left, the state in words, the hold reason.
constexpr int kTooltipLimit = sizeof(NOTIFYICONDATAA::szTip);

NOTIFYICONDATAA record;
bool versionFour = false;  // the shell took NOTIFYICON_VERSION_4 at the last add

}  // namespace

void ResetTrayIconRecord() {
  memset(&record, 0, sizeof(record));
  versionFour = false;
}

bool TrayIconSpeaksVersion4() { return versionFour; }

// Asks for the version-4 callback; a refusal is logged once per add and changes nothing else.
static void AskForVersion4() {
  record.uVersion = NOTIFYICON_VERSION_4;
  versionFour = ShellNotifyIconEntry(NIM_SETVERSION, &record) != FALSE;
  record.uVersion = 0;
  if (!versionFour) LogMessage(kLogLogOnly, "SetTrayIcon: the shell keeps the older callback (no version 4)");
}

int SetTrayIconFocus() {
  if (!record.hWnd) return 0;
  return ShellNotifyIconEntry(NIM_SETFOCUS, &record);
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
    record.uID = kTrayIconId;
    record.uCallbackMessage = kTrayCallbackMessage;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    if (!ShellNotifyIconEntry(NIM_ADD, &record)) return 0;
    AskForVersion4();
  }
  if (record.uFlags == 0) return 1;
  if (versionFour) record.uFlags |= NIF_SHOWTIP;
  return ShellNotifyIconEntry(NIM_MODIFY, &record);
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
    char duration[128];
    FormatDurationText(duration, sizeof(duration), left);
    // Translators: the tooltip's first line; the first %s is the program's name, the second
    // the time left ("4:59 Minutes"). The whole tooltip holds at most 127 bytes.
    snprintf(tooltip, sizeof(tooltip), Tr("%s (Disabled - %s Left)"), kProductName, duration);
  } else {
    CurrentSaverTooltip(tooltip, sizeof(tooltip));
  }
  // The state in words, for whoever cannot tell the icons apart (or hears the tooltip).
  const char* state;
  if (AppState.passwordActive)
    state = AppState.saverActive ? Tr("Saver on, password on") : Tr("Saver off, password on");
  else
    state = AppState.saverActive ? Tr("Saver on") : Tr("Saver off");
  AppendText(tooltip, "\n", sizeof(tooltip));
  AppendText(tooltip, state, sizeof(tooltip));
  // While held off the tooltip says why on a line of its own (cut with the rest).
  char reason[96];
  bool held = GetHoldOffReason(reason, sizeof(reason));
  char why[40];
  char line[256] = "";
  if (held)
    // Translators: a line of the tooltip; %s says what holds the saver off.
    snprintf(line, sizeof(line), Tr("Held off: %s"), reason);
  else if (GetHoldOffPause(why, sizeof(why), nullptr, 0))
    // Translators: a line of the tooltip; %s says why the hold is paused.
    snprintf(line, sizeof(line), Tr("Held off: paused (%s)"), why);
  if (line[0]) {
    AppendText(tooltip, "\n", sizeof(tooltip));
    AppendText(tooltip, line, sizeof(tooltip));
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
