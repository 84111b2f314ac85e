// The load is prepared early in start-up but the worker is launched only once the tray
// icon is shown, a splash screen is up or something needs the list, so that on a busy
// machine it does not compete with the way to the icon.
// The catalog worker reads only its own copy of the search paths, builds the list (from
// the catalog cache where it can), leaves it in one hand-over slot, signals an event and
// posts kCatalogLoadedMessage. Only the main thread takes the list from the slot and
// swaps it into AppState, exactly as a refresh does.
// The worker may finish before the main window exists: its post then finds no window,
// and the main thread collects the list itself once it looks (the worker signals before
// it reads the window, the main thread sets the window before it looks, so one of them
// always sees the other).
#include "catalog/catalog_loader.h"

#include <shellapi.h>

#include <cstdlib>

#include "catalog/saver_catalog.h"
#include "catalog/saver_info.h"
#include "log/log.h"
#include "shell/text_helpers.h"
#include "state/announce.h"
#include "state/app_state.h"
#include "state/commands.h"

namespace {

constexpr SIZE_T kWorkerStack = 256 * 1024;
constexpr int kMaxDeferred = 16;

struct HandOver {
  char** paths;  // the worker's own copy, ended by a null entry
  SaverInfo* list;
  int count;
  int built;
  int cached;
  DWORD milliseconds;
};

struct DeferredCommand {
  int command;
  LPARAM source;
};

HandOver slot;
HANDLE doneEvent = nullptr;
bool loading = false;   // main thread only
bool launched = false;  // the worker has been started for the pending load
DeferredCommand deferred[kMaxDeferred];
int deferredCount = 0;
void (*steps[kMaxDeferred])() = {};
int stepCount = 0;

void FreePaths(char** paths) {
  if (!paths) return;
  for (int n = 0; paths[n]; n++) free(paths[n]);
  free(paths);
}

char** CopyPaths() {
  int count = 0;
  while (count < kMaxSaverPaths && AppState.saverpath[count]) count++;
  char** copy = static_cast<char**>(calloc(static_cast<size_t>(count) + 1, sizeof(char*)));
  if (!copy) return nullptr;
  int used = 0;
  for (int n = 0; n < count; n++)
    if (char* path = DuplicateText(AppState.saverpath[n])) copy[used++] = path;
  return copy;
}

DWORD WINAPI CatalogWorker(LPVOID) {
  DWORD start = GetTickCount();
  slot.built = BuildSaverCatalog(slot.paths, true, &slot.list, &slot.count, &slot.cached);
  slot.milliseconds = GetTickCount() - start;
  SetEvent(doneEvent);
  HWND window = AppState.mainWindow;
  if (window) PostMessageA(window, kCatalogLoadedMessage, 0, 0);
  return 0;
}

bool NeedsCatalog(int command) {
  switch (command) {
    case kCmdRunSaverNow:
      return AppState.randomonclick != 0;
    case kCmdChooseRandomSaver:
    case kCmdLaunchRandomSaver:
    case kCmdRefreshSavers:
    case kCmdDumpSavers:
      return true;
    default:
      return command >= kRangeChooseSaver && command < kRangeSaverProperties + kRangeSize &&
             !(command >= kRangeSetTimeout && command < kRangeDisableMinutes + kRangeSize);
  }
}

}  // namespace

void StartSaverCatalogLoad() {
  if (loading) return;
  if (!doneEvent) doneEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  slot = HandOver{};
  slot.paths = CopyPaths();
  if (!doneEvent || !slot.paths) {  // build here, as before
    FreePaths(slot.paths);
    slot = HandOver{};
    GetSaverEnumeration(&AppState.savers, &AppState.saverCount);
    return;
  }
  ResetEvent(doneEvent);
  loading = true;
  launched = false;
}

void LaunchSaverCatalogLoad() {
  if (!loading || launched) return;
  launched = true;
  HANDLE thread =
      CreateThread(nullptr, kWorkerStack, CatalogWorker, nullptr, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread)
    CloseHandle(thread);
  else
    CatalogWorker(nullptr);  // no worker: build on this thread
}

bool IsSaverCatalogLoading() { return loading; }

int FinishSaverCatalogLoad(DWORD waitMs) {
  if (!loading) return 1;
  LaunchSaverCatalogLoad();
  if (WaitForSingleObject(doneEvent, waitMs) != WAIT_OBJECT_0) {
    if (waitMs > 0) LogMessage(kLogLogOnly, "GetSaverEnumeration: still building after %lu ms", waitMs);
    return 0;
  }
  loading = false;
  SaverInfo* old = AppState.savers;
  int oldCount = AppState.saverCount;
  AppState.savers = slot.built ? slot.list : nullptr;
  AppState.saverCount = slot.built ? slot.count : 0;
  FreeSaverList(old, oldCount);
  FreePaths(slot.paths);
  if (slot.built)
    LogMessage(kLogLogOnly, "GetSaverEnumeration processed %d savers (%d ms), %d from the cache", slot.count,
               static_cast<int>(slot.milliseconds), slot.cached);
  slot = HandOver{};
  return 1;
}

void OnSaverCatalogLoaded(HWND window) {
  if (!FinishSaverCatalogLoad(0)) return;
  AnnounceChange(kChangedSaverList);  // the tooltip names the current saver
  int stepsToRun = stepCount;
  stepCount = 0;
  for (int i = 0; i < stepsToRun; i++) steps[i]();
  int count = deferredCount;
  deferredCount = 0;
  for (int i = 0; i < count; i++)
    PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(deferred[i].command), deferred[i].source);
}

void AfterSaverCatalog(void (*step)()) {
  if (!loading || stepCount >= kMaxDeferred) {
    if (loading) FinishSaverCatalogLoad(kCatalogWaitMs);
    step();
    return;
  }
  steps[stepCount++] = step;
}

bool DeferUntilSaverCatalog(int command, LPARAM source) {
  if (!loading || !NeedsCatalog(command)) return false;
  if (deferredCount < kMaxDeferred) {
    deferred[deferredCount++] = DeferredCommand{command, source};
    LogMessage(kLogLogOnly, "Command %d waits for the saver list", command);
  } else {
    LogMessage(kLogLogOnly, "Command %d dropped: too many commands wait for the saver list", command);
  }
  return true;
}
