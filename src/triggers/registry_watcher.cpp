// The registry watcher. Its thread waits for any write under the desktop key (any
// process), reads the system's saver settings into a reading of its own and posts it to
// the main window, which alone stores them, refreshes the icon and plays the animation.
//
// A reading may be overtaken on its way: the main thread may load or save meanwhile.
// Each reading carries the settings' generation from before its registry read, and the
// main thread moves the generation on after each of its own loads and saves. A reading
// whose generation is still current began after the main thread last touched the
// registry, so it is news; any other may be older than the mirror, and the main window
// reads the registry itself instead. No write is missed in between, because the
// notification is armed again before every read.
#include "triggers/registry_watcher.h"

#include <shellapi.h>

#include <memory>
#include <new>

#include "state/announce.h"
#include "state/app_state.h"
#include "state/commands.h"
#include "system/system_saver_settings.h"

namespace {

constexpr const char* kDesktopKey = "Control Panel\\desktop";

struct SaverSettingsReading {
  SaverSettingsValues values;
  unsigned generation;  // SaverSettingsGeneration() before the registry was read
  bool notified;        // a change notification (not a poll) led to it
};

void PostReading(const SaverSettingsReading& reading) {
  auto* copy = new (std::nothrow) SaverSettingsReading(reading);
  if (!copy) return;
  HWND window = AppState.mainWindow;
  if (!window || !PostMessageA(window, kSaverSettingsReadMessage, 0, reinterpret_cast<LPARAM>(copy))) delete copy;
}

// One reading after a wake-up. A value that cannot be read keeps the mirror's value. A
// poll posts only a real change; a notification always posts, so the icon follows.
void ReadAndPost(bool notified) {
  SaverSettingsReading reading;
  reading.generation = SaverSettingsGeneration();
  reading.notified = notified;
  SaverSettingsValues mirror = CurrentSaverSettings();
  reading.values = mirror;
  if (!ReadWindowsSaverSettings(&reading.values)) return;
  if (notified || !(reading.values == mirror)) PostReading(reading);
}

void Arm(RegistryWatch* watch) {
  watch->armed = false;
  if (watch->event) {
    ResetEvent(watch->event);
    watch->armed =
        RegNotifyChangeKeyValue(watch->key, TRUE, REG_NOTIFY_CHANGE_LAST_SET, watch->event, TRUE) == ERROR_SUCCESS;
  }
  watch->lastServe = GetTickCount();
}

}  // namespace

bool OpenRegistryWatch(RegistryWatch* watch) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_NOTIFY, &key) != ERROR_SUCCESS) return false;
  watch->key = key;
  watch->event = CreateEventA(nullptr, TRUE, FALSE, "RegistryChangeEvent");
  Arm(watch);
  return true;
}

// When the notification cannot be armed the key is polled once a second, and each poll
// tries to arm it again.
DWORD RegistryWatchTimeout(const RegistryWatch& watch) {
  if (watch.armed) return INFINITE;
  DWORD elapsed = GetTickCount() - watch.lastServe;
  return elapsed >= kRegistryPollMs ? 0 : kRegistryPollMs - elapsed;
}

void ServeRegistryWatch(RegistryWatch* watch, bool signaled) {
  bool notified = signaled && watch->armed;
  if (!notified && RegistryWatchTimeout(*watch) != 0) return;
  Arm(watch);
  ReadAndPost(notified);
}

DWORD WINAPI RegistryWatcherThread(void*) {
  RegistryWatch watch = {};
  if (!OpenRegistryWatch(&watch)) return 0;
  for (;;) {
    DWORD woke = WAIT_TIMEOUT;
    if (watch.armed)
      woke = WaitForSingleObject(watch.event, INFINITE);
    else
      Sleep(RegistryWatchTimeout(watch));
    if (woke == WAIT_FAILED) {  // falls back to the poll
      Sleep(kRegistryPollMs);
      watch.armed = false;
    }
    ServeRegistryWatch(&watch, woke == WAIT_OBJECT_0);
  }
}

void OnSaverSettingsRead(HWND window, LPARAM lParam) {
  std::unique_ptr<SaverSettingsReading> reading(reinterpret_cast<SaverSettingsReading*>(lParam));
  if (!reading) return;
  bool changed = reading->generation == SaverSettingsGeneration() ? ApplyWindowsSaverSettings(reading->values) != 0
                                                                    : LoadWindowsSaverSettings() != 0;
  if (reading->notified || changed) {
    AnnounceChange(kChangedSaverSettings);
    PostMessageA(window, WM_COMMAND, kCmdAnimateIcon, 0);
  }
}
