// Feedback for commands given out of sight. The text is made from the state after the
// command ran, so it says what is true now ("Screen saver switched off"), not what was
// asked. Commands that open a window of their own (menus, dialogs, help) tell nothing.
// The balloon modifies the one tray icon with NIF_INFO only, so the icon and tooltip
// kept by the tray icon's record are left as they are.
#include "tray/notifications.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "catalog/saver_info.h"
#include "language/duration_text.h"
#include "language/text.h"
#include "log/log.h"
#include "shell/dpi.h"
#include "shell/entry_points.h"
#include "shell/text_helpers.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "system/system_saver_settings.h"

namespace {

constexpr int kTextSize = 256;  // szInfo

const char* CurrentSaverName() {
  const SaverInfo* current = FindCurrentSaver();
  return current && current->displayName ? current->displayName : Tr("(None)");
}

// "1 minute", "30 minutes", "1 hour", "2 hours"; minutes that are no whole hour stay minutes.
void FormatMinutes(char* text, int size, int minutes) {
  if (minutes > 0 && minutes % 60 == 0)
    snprintf(text, static_cast<size_t>(size), TrN("%d hour", "%d hours", static_cast<uint64_t>(minutes / 60)),
             minutes / 60);
  else
    snprintf(text, static_cast<size_t>(size), TrN("%d minute", "%d minutes", static_cast<uint64_t>(minutes > 0 ? minutes : 0)),
             minutes);
}

// A whole number of minutes as above, anything else as the duration text.
void FormatPeriod(char* text, int size, int seconds) {
  if (seconds > 0 && seconds % 60 == 0)
    FormatMinutes(text, size, seconds / 60);
  else
    FormatDurationText(text, size, static_cast<DWORD>(seconds > 0 ? seconds : 0) * 1000u);
}

bool InRange(int command, int base) { return command >= base && command < base + kRangeSize; }

const char* SaverAt(int index) {
  if (index < 0 || index >= AppState.saverCount || !AppState.savers) return nullptr;
  return AppState.savers[index].displayName;
}

// The product icon for the balloon's title, at the large-icon size of the tray's DPI;
// kept for the life of the process and loaded again only when that size changes.
HICON BalloonIcon() {
  static HICON icon = nullptr;
  static int loadedSize = 0;
  int size = GetMetricForDpi(SM_CXICON, GetTrayDpi());
  if (!icon || size != loadedSize) {
    HICON fresh = LoadIconAtSize(AppState.instance, "DOZELITE", size);
    if (fresh) {
      if (icon) DestroyIcon(icon);
      icon = fresh;
      loadedSize = size;
    }
  }
  return icon;
}

}  // namespace

bool DescribeCommandOutcome(int command, LPARAM source, char* text, int size) {
  if (!text || size <= 0) return false;
  text[0] = 0;
  char scratch[kTextSize] = "";
  char period[128];
  switch (command) {
    case kCmdReloadSettings:
      // Only a hand-off has something to tell: the settings a second start just applied.
      if (source != kSourceHandOff) return false;
      if (!AppState.saverActive) {
        CopyText(scratch, Tr("Settings updated: screen saver off"), kTextSize);
      } else {
        FormatPeriod(period, sizeof(period), AppState.saverTimeout);
        // Translators: the first %s is the saver's name, the second a time such as "10 minutes".
        snprintf(scratch, sizeof(scratch), Tr("Settings updated: %s, starts after %s"), CurrentSaverName(), period);
      }
      break;
    case kCmdRunSaverNow:
      // Translators: %s is the saver's name.
      snprintf(scratch, sizeof(scratch), Tr("Screen saver started: %s"), CurrentSaverName());
      break;
    case kCmdToggleSaver:
      CopyText(scratch, AppState.saverActive ? Tr("Screen saver switched on") : Tr("Screen saver switched off"), kTextSize);
      break;
    case kCmdChooseRandomSaver:
      // Translators: %s is the saver's name.
      snprintf(scratch, sizeof(scratch), Tr("Random saver: %s"), CurrentSaverName());
      break;
    case kCmdLaunchRandomSaver:
      CopyText(scratch, Tr("Random saver started"), kTextSize);
      break;
    case kCmdChooseNoSaver:
      CopyText(scratch, Tr("Screen saver: (None)"), kTextSize);
      break;
    case kCmdTogglePassword:
      CopyText(scratch, AppState.passwordActive ? Tr("Saver password switched on") : Tr("Saver password switched off"),
               kTextSize);
      break;
    case kCmdPowerOn:
      CopyText(scratch, Tr("Monitor switched on"), kTextSize);
      break;
    case kCmdPowerOff:
      CopyText(scratch, Tr("Monitor switched off"), kTextSize);
      break;
    case kCmdPowerSuspend:
      CopyText(scratch, Tr("Monitor suspended"), kTextSize);
      break;
    case kCmdPowerStandby:
      CopyText(scratch, Tr("Monitor on standby"), kTextSize);
      break;
    case kCmdToggleCornerActions:
      CopyText(scratch, AppState.corneraction ? Tr("Corner actions switched on") : Tr("Corner actions switched off"),
               kTextSize);
      break;
    default:
      if (command == kCmdDisableOneDay || InRange(command, kRangeDisableMinutes)) {
        int seconds = AppState.disableSeconds;
        if (seconds <= 0) {
          CopyText(scratch, Tr("Screen saver disable ended"), kTextSize);
        } else {
          FormatPeriod(period, sizeof(period), seconds);
          // Translators: %s is a time such as "2 hours".
          snprintf(scratch, sizeof(scratch), Tr("Screen saver disabled for %s"), period);
        }
      } else if (InRange(command, kRangeSetTimeout)) {
        FormatPeriod(period, sizeof(period), AppState.saverTimeout);
        // Translators: %s is a time such as "10 minutes".
        snprintf(scratch, sizeof(scratch), Tr("Screen saver starts after %s"), period);
      } else if (InRange(command, kRangeChooseSaver) && SaverAt(command - kRangeChooseSaver)) {
        // Translators: %s is the saver's name.
        snprintf(scratch, sizeof(scratch), Tr("Screen saver: %s"), SaverAt(command - kRangeChooseSaver));
      } else if (InRange(command, kRangeLaunchSaver) && SaverAt(command - kRangeLaunchSaver)) {
        snprintf(scratch, sizeof(scratch), Tr("Screen saver started: %s"), SaverAt(command - kRangeLaunchSaver));
      } else {
        return false;
      }
      break;
  }
  // snprintf may have cut a name inside a character; CopyText's cut never does.
  scratch[Utf8CutLength(scratch, static_cast<int>(strlen(scratch)))] = 0;
  CopyText(text, scratch, size);
  return text[0] != 0;
}

bool TellCommandOutcome(int command, LPARAM source) {
  if (source != kSourceHotKey && source != kSourceCorner && source != kSourceHandOff) return false;
  if (!AppState.notifications || !AppState.mainWindow) return false;
  NOTIFYICONDATAA data = {};
  if (!DescribeCommandOutcome(command, source, data.szInfo, sizeof(data.szInfo))) return false;
  char english[sizeof(data.szInfo)] = "";
  SetEnglishOnThisThread(true);  // the log stays English
  DescribeCommandOutcome(command, source, english, sizeof(english));
  SetEnglishOnThisThread(false);
  LogMessage(kLogLogOnly, "Notification: %s", english);
  data.cbSize = sizeof(data);
  data.hWnd = AppState.mainWindow;
  data.uID = 1;
  data.uFlags = NIF_INFO;
  CopyText(data.szInfoTitle, kProductName, sizeof(data.szInfoTitle));
  data.dwInfoFlags = NIIF_USER | NIIF_LARGE_ICON | NIIF_NOSOUND;
  data.hBalloonIcon = BalloonIcon();
  data.uTimeout = 10000;  // ignored by newer shells, which follow the user's accessibility setting
  if (ShellNotifyIconEntry(NIM_MODIFY, &data)) return true;
  LogMessage(kLogLogOnly, "Notification not shown: the tray icon is not there");
  return false;
}
