// CheckForServerUpdates: runs one UpdateChecker against the build's endpoint and key,
// then offers the web page (command 40060) when a newer version exists. Failures are
// shown only for a check the user asked for, and never logged. Only one check runs at a
// time: the automatic one skips its turn while another is running.
#include "update/update_check.h"

#include <cstdio>
#include <cstring>

#include "build_config.h"
#include "language/text.h"
#include "log/log.h"
#include "settings/policy_store.h"
#include "shell/entry_points.h"
#include "state/app_state.h"
#include "state/commands.h"

namespace {

constexpr int kTrackedUrlSize = 1024;

LONG checkRunning = 0;

void ShowUpdateError(const char* message) {
  char caption[256];
  char text[1024];
  // Translators: the title of the update check's box; %s is the product name.
  snprintf(caption, sizeof(caption), Tr("%s Update"), kProductName);
  // Translators: %s is why the update check failed.
  snprintf(text, sizeof(text), Tr("Error: %s"), Tr(message));
  MessageBoxEntry(nullptr, text, caption, MB_OK);
}

}  // namespace

bool BeginUpdateCheck() { return InterlockedCompareExchange(&checkRunning, 1, 0) == 0; }
void EndUpdateCheck() { InterlockedExchange(&checkRunning, 0); }
bool IsUpdateCheckRunning() { return InterlockedCompareExchange(&checkRunning, 0, 0) != 0; }

int BuildTrackedUrl(char* destination, int capacity, const char* address) {
  return FormatTrackedUrl(destination, capacity, address, AppState.versionText, AppState.id);
}

void RunUpdateExchange(const char* endpoint, const char* publicKeyHex, UpdateCheckOutcome* outcome) {
  // Every check passes here: with the check turned off by the organisation nothing is sent.
  if (!UpdateCheckAllowed()) {
    outcome->result = -1;
    outcome->failure = TrNoop("update checks are turned off by your organisation");
    outcome->latestVersion[0] = 0;
    return;
  }
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
  checker.quiet = true;
  outcome->latestVersion[0] = 0;
  if (checker.RunUpdateCheck() != 0) {
    outcome->result = -1;
    outcome->failure = checker.failure;
    return;
  }
  outcome->result = checker.IsNewerVersion() ? 1 : 0;
  outcome->failure = nullptr;
  memcpy(outcome->latestVersion, checker.latestVersion, sizeof(outcome->latestVersion));
}

int ShowUpdateOutcome(const UpdateCheckOutcome& outcome, bool interactive) {
  if (outcome.result < 0) {
    if (interactive && outcome.failure) ShowUpdateError(outcome.failure);
    return -1;
  }
  HWND owner = AppState.mainWindow;
  char text[1024];
  if (outcome.result > 0) {
    LogMessage(kLogLogOnly, "CheckForServerUpdates: version %s is available", outcome.latestVersion);
    snprintf(text, sizeof(text),
             // Translators: the first %s is the product name, the second a version number.
             Tr("A new version of %s is available!\nWould you like to download version %s from the website now?"),
             kProductName, outcome.latestVersion);
    if (MessageBoxEntry(owner, text, kProductName, MB_YESNO) == IDYES && owner)
      SendMessageA(owner, WM_COMMAND, kCmdBrowseWebsite, 0);
    return 1;
  }
  LogMessage(kLogLogOnly, "CheckForServerUpdates: no updates");
  if (interactive) {
    // Translators: %s is the product name.
    snprintf(text, sizeof(text), Tr("You already have the latest version of %s installed."), kProductName);
    MessageBoxEntry(owner, text, kProductName, MB_OK);
  }
  return 0;
}

int CheckForServerUpdatesAt(const char* endpoint, const char* publicKeyHex, bool interactive) {
  if (!UpdateCheckAllowed()) return -1;  // the organisation turned the check off: nothing is sent
  if (!BeginUpdateCheck()) return -1;
  UpdateCheckOutcome outcome;
  RunUpdateExchange(endpoint, publicKeyHex, &outcome);
  EndUpdateCheck();
  return ShowUpdateOutcome(outcome, interactive);
}

int CheckForServerUpdates(bool interactive) {
  return CheckForServerUpdatesAt(DOZELITE_UPDATE_URL, DOZELITE_UPDATE_PUBLIC_KEY, interactive);
}
