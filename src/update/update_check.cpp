// CheckForServerUpdates: runs one UpdateChecker against the build's endpoint and key,
// then offers the web page (command 40060) when a newer version exists. Failures are
// shown only for a check the user asked for, and never logged.
#include "update/update_check.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "app/app_state.h"
#include "app/commands.h"
#include "build_config.h"
#include "log/log.h"
#include "shell/entry_points.h"
#include "update/update_checker.h"

namespace {

constexpr int kTrackedUrlSize = 1024;

void ShowUpdateError(const char* product, const char* message) {
  char caption[64];
  char text[256];
  snprintf(caption, sizeof(caption), "%s Update", product);
  snprintf(text, sizeof(text), "Error: %s", message);
  MessageBoxEntry(nullptr, text, caption, MB_OK);
}

}  // namespace

int BuildTrackedUrl(char* destination, int capacity, const char* address) {
  return FormatTrackedUrl(destination, capacity, address, AppState.versionText, AppState.id);
}

int CheckForServerUpdatesAt(const char* endpoint, const char* publicKeyHex, bool interactive) {
  char url[kTrackedUrlSize];
  BuildTrackedUrl(url, sizeof(url), endpoint);

  // A malformed key stays all zeros, which is no point of the curve: every answer then
  // fails its signature check.
  unsigned char publicKey[64] = {};
  if (strlen(publicKeyHex) != 128 || !HexDecode(publicKeyHex, 128, publicKey)) memset(publicKey, 0, sizeof(publicKey));

  UpdateChecker checker;
  checker.url = url;
  checker.product = kProductName;
  checker.currentVersion = AppState.versionText;
  checker.publicKey = publicKey;
  checker.quiet = !interactive;
  checker.reportError = ShowUpdateError;
  if (checker.RunUpdateCheck() != 0) return -1;

  HWND owner = AppState.mainWindow;
  char text[512];
  if (checker.IsNewerVersion()) {
    LogMessage(kLogLogOnly, "CheckForServerUpdates: version %s is available", checker.latestVersion);
    snprintf(text, sizeof(text),
             "A new version of %s is available!\nWould you like to download version %s from the website now?",
             kProductName, checker.latestVersion);
    if (MessageBoxEntry(owner, text, kProductName, MB_YESNO) == IDYES && owner)
      SendMessageA(owner, WM_COMMAND, kCmdBrowseWebsite, 0);
    return 1;
  }
  LogMessage(kLogLogOnly, "CheckForServerUpdates: no updates");
  if (interactive) {
    snprintf(text, sizeof(text), "You already have the latest version of %s installed.", kProductName);
    MessageBoxEntry(owner, text, kProductName, MB_OK);
  }
  return 0;
}

int CheckForServerUpdates(bool interactive) {
  return CheckForServerUpdatesAt(DOZELITE_UPDATE_URL, DOZELITE_UPDATE_PUBLIC_KEY, interactive);
}
